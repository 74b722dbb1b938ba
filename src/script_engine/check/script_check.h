// Checking one script file line by line with the player's own reading, classifying, menu and
// layout rules.
#pragma once

#include <filesystem>
#include <vector>

#include "script_engine/check/check_run.h"

namespace tsuzuri {

// Checks the script file and the media its lines name. Answers the scripts its NextScript
// lines go on with (native paths), in line order.
std::vector<std::filesystem::path> checkScript(CheckRun& run, const std::filesystem::path& file);

}  // namespace tsuzuri
