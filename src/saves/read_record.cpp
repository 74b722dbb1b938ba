#include "saves/read_record.h"

#include <charconv>
#include <map>
#include <system_error>

#include "common/atomic_file.h"
#include "common/file_buffer.h"
#include "saves/remembered_place.h"
#include "saves/state_text.h"

namespace tsuzuri {
namespace fs = std::filesystem;

namespace {

constexpr char kKey[] = "tsuzuri-read";
constexpr char kVersion[] = "1";
// A record of every line of the largest scripts stays far below this.
constexpr std::int32_t kMaxReadRecordBytes = 64 * 1024 * 1024;

bool takeLine(std::string_view text, std::int32_t& line) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), line);
    return error == std::errc() && end == text.data() + text.size() && line >= 1 &&
           line <= ReadLines::kMaxFileLine;
}

// "1-20 25 30-41", runs ascending and apart.
bool takeRuns(std::string_view text, ReadLines::Runs& runs) {
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view run = text.substr(0, blank);
        text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
        const std::size_t dash = run.find('-');
        std::int32_t first = 0;
        std::int32_t last = 0;
        if (!takeLine(run.substr(0, dash), first) ||
            !takeLine(dash == std::string_view::npos ? run : run.substr(dash + 1), last) ||
            last < first || (!runs.empty() && first <= runs.back().second + 1)) {
            return false;
        }
        runs.emplace_back(first, last);
    }
    return true;
}

}  // namespace

fs::path readRecordFile(const fs::path& stateFolder, const fs::path& gameFolder,
                        std::string_view title) {
    return stateFolder / ("game-" + gameKey(gameFolder, title) + ".read");
}

std::string formatReadRecord(const ReadLines& lines) {
    std::string text = std::string(kKey) + " " + kVersion + "\n";
    for (const auto& [script, runs] : lines.runs()) {
        text += "script " + escape(script) + "\nlines";
        for (const auto& [first, last] : runs) {
            text += " " + std::to_string(first);
            if (last != first) {
                text += "-" + std::to_string(last);
            }
        }
        text += "\n";
    }
    return text;
}

bool parseReadRecord(std::string_view text, ReadLines& lines, std::string& reason) {
    if (!takeVersion(text, kKey, kVersion, "it is no record of read pages", reason)) {
        return false;
    }
    std::map<std::string, ReadLines::Runs> all;
    while (!text.empty()) {
        std::string script;
        std::string_view runText;
        if (!takeName(text, "script", script, reason) ||
            !takeValue(text, "lines", runText, reason)) {
            return false;
        }
        ReadLines::Runs runs;
        if (script.empty() || all.count(script) != 0 || !takeRuns(runText, runs)) {
            reason = "its lines of " + escape(script.substr(0, 60)) + " are damaged";
            return false;
        }
        all.emplace(std::move(script), std::move(runs));
    }
    lines.replace(all);
    return true;
}

bool loadReadRecord(const fs::path& file, ReadLines& lines, std::string& reason) {
    lines.replace({});
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error))) {
        return true;
    }
    FileBuffer buffer;
    if (!loadWholeFile(buffer, file, kMaxReadRecordBytes)) {
        reason = "it cannot be read";
        return false;
    }
    return parseReadRecord(std::string_view(reinterpret_cast<const char*>(buffer.data.get()),
                                            static_cast<std::size_t>(buffer.size)),
                           lines, reason);
}

bool keepReadRecord(const fs::path& file, const ReadLines& lines, std::string& error) {
    return makePrivateFolder(file.parent_path(), error) &&
           writeFileAtomically(file, formatReadRecord(lines), error);
}

}  // namespace tsuzuri
