#include "script_engine/script_chain.h"

#include <deque>
#include <map>
#include <optional>

#include "common/file_buffer.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

bool setsWhatLasts(LineKind kind) {
    return kind == Image || kind == BGM || kind == StopBGM || kind == LoopSE ||
           kind == StopLoopSE || kind == LoopWao || kind == StopLoopWao;
}

std::vector<std::unique_ptr<ScriptLine>> linesOf(const fs::path& gameFolder, const fs::path& file) {
    SceneState read;
    read.gameFolder = gameFolder;
    FileBuffer buffer;
    if (loadWholeFile(buffer, file, kMaxTextFileBytes)) {
        appendScriptLines(read, buffer);
    }
    return std::move(read.lines);
}

// How the way reaches a script: the script before it and the line there that goes on.
struct Step {
    fs::path from;
    std::size_t line = 0;
};

}  // namespace

std::vector<ScriptLine> lastingLinesOnTheWay(const fs::path& gameFolder, const GamePath& start,
                                             const fs::path& target) {
    const std::optional<fs::path> first = resolveGameFile(start);
    if (!first || *first == target) {
        return {};
    }
    std::map<fs::path, std::vector<std::unique_ptr<ScriptLine>>> lines;
    std::map<fs::path, Step> reachedBy;
    std::deque<fs::path> queue{*first};
    lines[*first] = linesOf(gameFolder, *first);
    while (!queue.empty() && reachedBy.count(target) == 0) {
        const fs::path script = queue.front();
        queue.pop_front();
        const auto& scriptLines = lines[script];
        for (std::size_t i = 0; i < scriptLines.size(); ++i) {
            if (scriptLines[i]->kind != NextScript) {
                continue;
            }
            const std::optional<fs::path> next =
                resolveGameFile(GamePath{gameFolder, "script\\" + scriptLines[i]->text});
            if (!next || lines.count(*next) != 0) {
                continue;
            }
            reachedBy[*next] = Step{script, i};
            lines[*next] = linesOf(gameFolder, *next);
            queue.push_back(*next);
        }
    }
    if (reachedBy.count(target) == 0) {
        return {};
    }
    std::vector<Step> way;  // from the target back to the start
    for (fs::path at = target; at != *first; at = reachedBy[at].from) {
        way.push_back(reachedBy[at]);
    }
    std::vector<ScriptLine> lasting;
    for (auto step = way.rbegin(); step != way.rend(); ++step) {
        const auto& scriptLines = lines[step->from];
        for (std::size_t i = 0; i < step->line; ++i) {
            if (setsWhatLasts(scriptLines[i]->kind)) {
                lasting.push_back(*scriptLines[i]);
            }
        }
    }
    return lasting;
}

}  // namespace tsuzuri
