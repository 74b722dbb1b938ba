// The game's two settings from Game.INI, and the script chooser.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "graphics/render_device.h"
#include "ui/screen_loop.h"

namespace tsuzuri {

// Longest setting value kept, in bytes; the rest is cut off.
constexpr size_t kMaxSettingBytes = 511;

// Reads `key` of section "GameState" from Game.INI in `gameFolder` into `out`. A missing file,
// section or key gives `defaultValue`. Always answers true.
bool readGameSetting(const std::filesystem::path& gameFolder, std::string_view key,
                     std::string_view defaultValue, std::string& out);
// The same from Game.INI in the current directory.
bool readGameSetting(std::string_view key, std::string_view defaultValue, std::string& out);

// Finds a value in the text of a profile (INI) file: section and key names compared without
// regard to ASCII case, blanks around names and values dropped, one pair of enclosing
// quotation marks removed, the first matching key of the first matching section taken.
std::optional<std::string> findProfileValue(std::string_view profileText, std::string_view section,
                                            std::string_view key);

// Shows the open-file dialog in `startFolder` (relative to the current directory) for "*.txt"
// files. Answers true with the chosen file's full path, or false when cancelled. The current
// directory is the same afterwards. The window's own chooser draws into `render`, paced by `clock`.
bool chooseScriptFile(const std::filesystem::path& startFolder, std::filesystem::path& outPath,
                      RenderState& render, Clock& clock, const LoopOptions& loop = {});

}  // namespace tsuzuri
