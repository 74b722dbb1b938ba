#include "app/check_command.h"

#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "app/check_output.h"
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

// Why the settings file names no start script when it is not simply left out: the file is
// UTF-16, or the key is in another section.
std::string whyNoStartScript(const fs::path& folder) {
    FileBuffer buffer;
    if (!loadWholeFile(buffer, GamePath{folder, "Game.INI"}, kMaxTextFileBytes)) {
        return {};
    }
    const std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                                static_cast<size_t>(buffer.size));
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF") ||
        text.find('\0') != std::string_view::npos) {
        return "Game.INI is UTF-16; the player reads it as Shift-JIS and finds no "
               "DefaultScriptFileName in it (save it as Shift-JIS)";
    }
    std::string section;
    bool inSection = false;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        std::string_view content = text.substr(start, end - start);
        content.remove_prefix(std::min(content.find_first_not_of(" \t"), content.size()));
        if (content.starts_with("[")) {
            section = std::string(content.substr(1, content.find(']') - 1));
            inSection = true;
        } else if (!(inSection && findProfileValue("[" + section + "]\nk=v", "GameState", "k")) &&
                   findProfileValue(std::string("[GameState]\n").append(content), "GameState",
                                    kStartScriptKey)) {
            return inSection ? "DefaultScriptFileName is in section [" + section +
                                   "], not in [GameState] where the player looks for it"
                             : "DefaultScriptFileName is before any section, not in [GameState] "
                               "where the player looks for it";
        }
        start = end + 1;
    }
    return {};
}

}  // namespace

namespace {

// The findings of the game in `folder`, named below `shownFolder`.
std::vector<Diagnostic> checkOneGame(const fs::path& folder, const std::string& shownFolder,
                                     const CheckOptions& options) {
    CheckedSettings settings;
    settings.found = gameFileExists(GamePath{folder, "Game.INI"});
    readGameSetting(folder, kStartScriptKey, "", settings.startScript);
    settings.startScriptLine = startScriptLine(folder);
    if (settings.startScript.empty()) {
        settings.whyNoStartScript = whyNoStartScript(folder);
    }
    std::vector<Diagnostic> findings = checkGame(folder, settings);
    std::erase_if(findings, [&options](const Diagnostic& finding) {
        return std::find(options.ignoredCodes.begin(), options.ignoredCodes.end(), finding.code) !=
               options.ignoredCodes.end();
    });
    if (!shownFolder.empty()) {
        for (Diagnostic& finding : findings) {
            finding.file = (fs::path(shownFolder) / finding.file).generic_string();
        }
    }
    return findings;
}

// The folders below `folder` that are games, by name, when `folder` is not one itself.
std::vector<std::string> gamesBelow(const fs::path& folder) {
    std::vector<std::string> games;
    if (gameFileExists(GamePath{folder, "Game.INI"})) {
        return games;
    }
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && gameFileExists(GamePath{it->path(), "Game.INI"})) {
            games.push_back(it->path().filename().string());
        }
    }
    std::sort(games.begin(), games.end());
    return games;
}

struct Counts {
    int of[3] = {};
    void add(const std::vector<Diagnostic>& findings) {
        for (const Diagnostic& finding : findings) {
            ++of[static_cast<int>(finding.severity)];
        }
    }
    std::string text() const { return findingCounts(of[0], of[1], of[2]); }
};

}  // namespace

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
    const std::vector<std::string> games = gamesBelow(folder);
    std::vector<Diagnostic> findings;
    std::vector<std::string> summaries;
    Counts total;
    if (games.empty()) {
        findings = checkOneGame(folder, options.shownFolder, options);
        total.add(findings);
    } else {
        for (const std::string& game : games) {
            const std::string shown = options.shownFolder.empty()
                                          ? game
                                          : (fs::path(options.shownFolder) / game).string();
            std::vector<Diagnostic> found = checkOneGame(folder / game, shown, options);
            Counts counts;
            counts.add(found);
            total.add(found);
            summaries.push_back(shown + ": " + counts.text());
            std::move(found.begin(), found.end(), std::back_inserter(findings));
        }
        summaries.push_back(std::to_string(games.size()) +
                            (games.size() == 1 ? " game: " : " games: ") + total.text());
    }
    if (summaries.empty()) {
        summaries.push_back(total.text());
    }
    switch (options.format) {
        case CheckFormat::Json:
            std::fputs(findingsAsJson(findings).c_str(), out);
            break;
        case CheckFormat::Sarif:
            std::fputs(findingsAsSarif(findings, options.toolVersion).c_str(), out);
            break;
        case CheckFormat::Text:
            for (const Diagnostic& finding : findings) {
                std::fputs(findingAsText(finding).c_str(), out);
            }
            summary = out;
            break;
    }
    for (const std::string& line : summaries) {
        std::fprintf(summary, "%s\n", line.c_str());
    }
    std::fflush(out);
    std::fflush(summary);
    return total.of[0] > 0 || (options.werror && total.of[1] > 0) ? 1 : 0;
}

}  // namespace tsuzuri
