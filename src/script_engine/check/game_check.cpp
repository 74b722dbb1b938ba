#include "script_engine/check/game_check.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>

#include "common/file_buffer.h"
#include "common/game_path.h"
#include "script_engine/check/check_run.h"
#include "script_engine/check/media_check.h"
#include "script_engine/check/script_check.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// The start script's file, reporting what keeps it from loading.
std::optional<fs::path> startScript(CheckRun& run, const CheckedSettings& settings) {
    if (!settings.found) {
        run.report("Game.INI", 1, "settings",
                   "the game folder has no Game.INI: the player asks for a script to start with");
        return std::nullopt;
    }
    const std::string& name = settings.startScript;
    const std::int32_t line = settings.startScriptLine;
    if (name.empty()) {
        run.report("Game.INI", line, "settings",
                   "DefaultScriptFileName in section [GameState] names no start script: the "
                   "player asks for one");
        return std::nullopt;
    }
    const std::optional<fs::path> file = resolveGameFile(run.gamePath("script", name));
    FileBuffer bytes;
    if (!file || !loadWholeFile(bytes, *file, kMaxTextFileBytes)) {
        run.report("Game.INI", line, "settings",
                   "the start script " + quotedText(name) + " does not load from script/" +
                       run.suggestion("script", name) + ": the player asks for one");
        return std::nullopt;
    }
    run.noteForgivenName("script", name, *file, "Game.INI", line);
    return file;
}

// Every "*.txt" below the script folder, in name order.
std::vector<fs::path> allScripts(const fs::path& gameFolder) {
    std::vector<fs::path> scripts;
    std::error_code error;
    for (fs::recursive_directory_iterator it(gameFolder / "script", error), end;
         !error && it != end; it.increment(error)) {
        std::string extension = it->path().extension().native();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        if (extension == ".txt" && isRegularFile(it->path())) {
            scripts.push_back(it->path());
        }
    }
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

}  // namespace

std::vector<Diagnostic> checkGame(const fs::path& gameFolder, const CheckedSettings& settings) {
    CheckRun run;
    run.gameFolder = gameFolder;
    FolderListingScope listings;

    std::set<fs::path> checked;
    std::deque<fs::path> queue;
    if (std::optional<fs::path> start = startScript(run, settings)) {
        queue.push_back(*start);
    }
    // Breadth first along NextScript lines: everything met this way is reached.
    auto follow = [&run, &checked, &queue] {
        while (!queue.empty()) {
            const fs::path script = queue.front();
            queue.pop_front();
            if (!checked.insert(script).second) {
                continue;
            }
            for (fs::path& next : checkScript(run, script)) {
                queue.push_back(std::move(next));
            }
        }
    };
    follow();
    const std::set<fs::path> reached = checked;
    for (const fs::path& script : allScripts(gameFolder)) {
        if (reached.count(script) == 0) {
            run.report(run.displayName(script), 1, "unreachable",
                       "no NextScript line leads here from the start script");
        }
        queue.push_back(script);
        follow();
    }
    checkWindowPicture(run);

    return run.takeFindings();
}

}  // namespace tsuzuri
