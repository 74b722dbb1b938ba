// The script checker for authors: finds what would silently go wrong when the game is played,
// using the player's own reading, classifying, menu, layout and media rules.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "script_engine/check/diagnostic.h"

namespace tsuzuri {

// What the game's settings file gave.
struct CheckedSettings {
    bool found = false;                // Game.INI exists
    std::string startScript;           // DefaultScriptFileName (Shift-JIS); empty: none
    std::int32_t startScriptLine = 1;  // the line of Game.INI that names it
    // Why no start script is named, when the file says more than that none is: it is UTF-16,
    // or names one in another section.
    std::string whyNoStartScript;
};

// Checks the game in `gameFolder`: the start script, every script reached from it through
// NextScript lines, then every other "*.txt" in "script", and the media they name. Findings
// come file by file, each file's by line.
std::vector<Diagnostic> checkGame(const std::filesystem::path& gameFolder,
                                  const CheckedSettings& settings);

}  // namespace tsuzuri
