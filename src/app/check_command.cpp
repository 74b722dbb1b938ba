#include "app/check_command.h"

#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "app/game_settings.h"
#include "common/file_buffer.h"
#include "common/game_path.h"
#include "script_engine/check/game_check.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStartScriptKey = "DefaultScriptFileName";

// The line of the settings file on which the start script is named (1 when none is).
std::int32_t startScriptLine(const fs::path& folder) {
    FileBuffer buffer;
    if (!loadWholeFile(buffer, GamePath{folder, "Game.INI"}, kMaxTextFileBytes)) {
        return 1;
    }
    const std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                                static_cast<size_t>(buffer.size));
    std::int32_t line = 1;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string_view content = text.substr(start, end - start);
        const size_t first = content.find_first_not_of(" \t");
        if (first != std::string_view::npos &&
            findProfileValue(std::string("[GameState]\n").append(content.substr(first)),
                             "GameState", kStartScriptKey)) {
            return line;
        }
        ++line;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return 1;
}

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

// Text as it may go to a terminal: control characters (a game's escape sequences among them)
// written as \xNN.
std::string shownInTerminal(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

std::string findingsAsJson(const std::vector<Diagnostic>& findings) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Diagnostic& finding = findings[i];
        out += i == 0 ? "\n  {\"file\": " : ",\n  {\"file\": ";
        appendJsonString(out, finding.file);
        out += ", \"line\": " + std::to_string(finding.line) +
               ", \"column\": " + std::to_string(finding.column) + ", \"severity\": ";
        appendJsonString(out, severityName(finding.severity));
        out += ", \"code\": ";
        appendJsonString(out, finding.code);
        out += ", \"message\": ";
        appendJsonString(out, finding.message);
        out += "}";
    }
    return out + (findings.empty() ? "]\n" : "\n]\n");
}

std::string findingCounts(int errors, int warnings, int notes) {
    const auto counted = [](int count, const char* word) {
        return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
    };
    return counted(errors, "error") + ", " + counted(warnings, "warning") + ", " +
           counted(notes, "note");
}

int runCheck(const CheckOptions& options, std::FILE* out, std::FILE* summary) {
    // Every picture checked is decoded into a few megabytes that are freed at once. Keep them
    // for the next one instead of handing them back to the system and having every page of
    // the next picture faulted in afresh (a fifth of the checker's time on a game of many
    // pictures).
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    CheckedSettings settings;
    settings.found = gameFileExists(GamePath{folder, "Game.INI"});
    readGameSetting(kStartScriptKey, "", settings.startScript);
    settings.startScriptLine = startScriptLine(folder);

    std::vector<Diagnostic> findings = checkGame(folder, settings);
    std::erase_if(findings, [&options](const Diagnostic& finding) {
        return std::find(options.ignoredCodes.begin(), options.ignoredCodes.end(), finding.code) !=
               options.ignoredCodes.end();
    });
    int counts[3] = {};
    for (Diagnostic& finding : findings) {
        ++counts[static_cast<int>(finding.severity)];
        if (!options.shownFolder.empty()) {
            finding.file = (fs::path(options.shownFolder) / finding.file).generic_string();
        }
    }
    if (options.json) {
        std::fputs(findingsAsJson(findings).c_str(), out);
    } else {
        for (const Diagnostic& finding : findings) {
            std::fprintf(out, "%s:%d:%d: %s: %s [%s]\n", shownInTerminal(finding.file).c_str(),
                         static_cast<int>(finding.line), static_cast<int>(finding.column),
                         severityName(finding.severity), shownInTerminal(finding.message).c_str(),
                         finding.code.c_str());
        }
        summary = out;
    }
    std::fprintf(summary, "%s\n", findingCounts(counts[0], counts[1], counts[2]).c_str());
    std::fflush(out);
    std::fflush(summary);
    return counts[0] > 0 || (options.werror && counts[1] > 0) ? 1 : 0;
}

}  // namespace tsuzuri
