#include "script_engine/check/sequence_check.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "script_engine/wao_sequence.h"

namespace tsuzuri {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

void checkWait(CheckRun& run, const std::string& sequence, std::int32_t fileLine,
               const char* line) {
    double seconds = 0.0;
    int used = 0;
    if (std::sscanf(line, "* %lf%n", &seconds, &used) == 1 && line[used] == ',' &&
        std::isdigit(static_cast<unsigned char>(line[used + 1])) != 0) {
        run.reportAt(sequence, fileLine, columnAt(line, static_cast<std::size_t>(used)),
                     "bad-sequence",
                     "a decimal comma: the wait is read as " + std::string(line + 2, line + used) +
                         " seconds; write a decimal point");
    }
}

void checkSoundName(CheckRun& run, const std::string& sequence, std::int32_t fileLine,
                    std::string_view line) {
    std::string_view name = line;
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        name.remove_suffix(1);
    }
    if (name.ends_with(".wav") || !lowerAscii(name).ends_with(".wav")) {
        if (name.size() < line.size() && name.ends_with(".wav")) {
            run.reportAt(sequence, fileLine, columnAt(line, name.size()), "bad-sequence",
                         quotedText(line) +
                             " is left out: the blank after the name keeps it from being played");
        }
        return;
    }
    run.report(sequence, fileLine, "bad-sequence",
               quotedText(line) +
                   " is left out: only names ending in \".wav\" (in small letters) are played");
}

}  // namespace

void checkSequenceLines(CheckRun& run, FileBuffer& bytes, const std::string& sequence) {
    const std::int32_t readPos = bytes.readPos;
    bytes.readPos = 0;
    forEachWaoLine(bytes, [&run, &sequence](std::int32_t fileLine, const char* line) {
        if (line[0] == '*') {
            checkWait(run, sequence, fileLine, line);
        } else {
            checkSoundName(run, sequence, fileLine, line);
        }
    });
    bytes.readPos = readPos;
}

}  // namespace tsuzuri
