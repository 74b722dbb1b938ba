#include "script_engine/check/game_check.h"

#include <algorithm>
#include <deque>
#include <map>
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
                   (settings.whyNoStartScript.empty()
                        ? std::string("DefaultScriptFileName in section [GameState] names no "
                                      "start script")
                        : settings.whyNoStartScript) +
                       ": the player asks for one");
        return std::nullopt;
    }
    if (climbsOutOfFolder("script\\" + name)) {
        run.report("Game.INI", line, "outside-game",
                   "the start script " + quotedText(name) +
                       " is outside the game folder, which the player never reads: it asks for "
                       "a script instead");
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
        if (extension == ".txt" && isRegularFile(it->path()) &&
            isInsideFolder(gameFolder, it->path())) {
            scripts.push_back(it->path());
        }
    }
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

// Scripts that go on to each other through NextScript lines with no page, menu or flash on
// the way: each such cycle is reported once, at the line of the first script met on it.
void checkScriptCycles(CheckRun& run, const std::vector<fs::path>& order,
                       const std::map<fs::path, ScriptOutcome>& outcomes) {
    std::set<fs::path> done;
    for (const fs::path& start : order) {
        std::vector<fs::path> walk;
        fs::path at = start;
        while (done.count(at) == 0 && std::find(walk.begin(), walk.end(), at) == walk.end()) {
            walk.push_back(at);
            const auto outcome = outcomes.find(at);
            if (outcome == outcomes.end() || !outcome->second.straightOn) {
                break;
            }
            at = outcome->second.straightOn->target;
        }
        if (const auto back = std::find(walk.begin(), walk.end(), at);
            back != walk.end() && outcomes.at(at).straightOn) {
            const ScriptLink& link = *outcomes.at(*back).straightOn;
            run.report(run.displayName(*back), link.fileLine, "endless-loop",
                       "going on to '" + run.displayName(link.target) +
                           "' leads back to this script with no page, menu or flash on the way: "
                           "the screen shows nothing forever");
        }
        done.insert(walk.begin(), walk.end());
    }
}

// NextScript lines that go on with a script without lines: the story ends there.
void checkEmptyScripts(CheckRun& run, const std::vector<fs::path>& order,
                       const std::map<fs::path, ScriptOutcome>& outcomes) {
    for (const fs::path& script : order) {
        for (const ScriptLink& link : outcomes.at(script).links) {
            if (const auto target = outcomes.find(link.target);
                target != outcomes.end() && target->second.empty) {
                run.report(run.displayName(script), link.fileLine, "empty-script",
                           "script '" + run.displayName(link.target) +
                               "' has no lines: the story ends here");
            }
        }
    }
}

}  // namespace

std::vector<Diagnostic> checkGame(const fs::path& gameFolder, const CheckedSettings& settings) {
    CheckRun run;
    run.gameFolder = gameFolder;
    FolderListingScope listings;

    std::vector<fs::path> order;  // scripts in the order checked
    std::map<fs::path, ScriptOutcome> outcomes;
    std::deque<fs::path> queue;
    const std::optional<fs::path> start = startScript(run, settings);
    if (start) {
        queue.push_back(*start);
    }
    // Breadth first along NextScript lines: everything met this way is reached.
    auto follow = [&run, &order, &outcomes, &queue] {
        while (!queue.empty()) {
            const fs::path script = queue.front();
            queue.pop_front();
            if (outcomes.count(script) != 0) {
                continue;
            }
            ScriptOutcome& outcome = outcomes[script] = checkScript(run, script);
            order.push_back(script);
            for (const ScriptLink& link : outcome.links) {
                queue.push_back(link.target);
            }
        }
    };
    follow();
    std::set<fs::path> reached(order.begin(), order.end());
    for (const fs::path& script : allScripts(gameFolder)) {
        if (reached.count(script) == 0) {
            run.report(run.displayName(script), 1, "unreachable",
                       "no NextScript line leads here from the start script");
        }
        queue.push_back(script);
        follow();
    }
    if (start && outcomes.count(*start) != 0 && outcomes.at(*start).empty) {
        run.report("Game.INI", settings.startScriptLine, "empty-script",
                   "the start script '" + run.displayName(*start) +
                       "' has no lines: the story ends at once");
    }
    checkEmptyScripts(run, order, outcomes);
    checkScriptCycles(run, order, outcomes);
    checkWindowPicture(run);

    return run.takeFindings();
}

}  // namespace tsuzuri
