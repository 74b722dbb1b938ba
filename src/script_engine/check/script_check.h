// Checking one script file line by line with the player's own reading, classifying, menu and
// layout rules.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "script_engine/check/check_run.h"

namespace tsuzuri {

// A NextScript line and the script it goes on with.
struct ScriptLink {
    std::filesystem::path target;  // native path
    std::int32_t fileLine = 1;
};

struct ScriptOutcome {
    std::vector<ScriptLink> links;  // in line order
    bool empty = false;             // no lines but comments: the story ends on reaching it
    // The NextScript line the first line leads to with no page, menu or flash on the way.
    std::optional<ScriptLink> straightOn;
};

// Checks the script file and the media its lines name.
ScriptOutcome checkScript(CheckRun& run, const std::filesystem::path& file);

}  // namespace tsuzuri
