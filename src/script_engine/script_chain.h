// The way the story takes from its start script to another script through NextScript lines,
// so that starting in the middle of a game sets the scene that the scripts before set.
#pragma once

#include <filesystem>
#include <vector>

#include "common/game_path.h"
#include "script_engine/script_line.h"

namespace tsuzuri {

// The lines setting what lasts (the scene picture, BGM or StopBGM, LoopSE or StopLoopSE,
// LoopWao or StopLoopWao) in the scripts the story passes through from `start` to the script
// file `target`, in the order it meets them: each script's up to the NextScript line it goes
// on from. The first way found breadth first is taken; empty when `target` is `start` or no
// NextScript line leads there.
std::vector<ScriptLine> lastingLinesOnTheWay(const std::filesystem::path& gameFolder,
                                             const GamePath& start,
                                             const std::filesystem::path& target);

}  // namespace tsuzuri
