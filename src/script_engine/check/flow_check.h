// Where the story goes between pages: jumps that lead back to themselves without a page, menu
// or flash, so that the screen shows nothing forever.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "script_engine/check/check_run.h"
#include "script_engine/script_line.h"

namespace tsuzuri {

// Reports each such cycle of jumps in a script once, at its first jump line. Answers the index
// of the NextScript line that the script's first line leads to without a page, menu or flash
// on the way, if it does.
std::optional<std::size_t> checkJumpCycles(CheckRun& run, const std::string& file,
                                           const std::vector<const ScriptLine*>& lines);

}  // namespace tsuzuri
