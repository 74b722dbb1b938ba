// F12: the frame as presented saved as a PNG file in the user's pictures folder, named
// tsuzuri-GAME-YYYYmmdd-HHMMSS.png (GAME: the game folder's name in UTF-8; "-2", "-3", ...
// added rather than overwrite a file).
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "graphics/render_device.h"

namespace tsuzuri {

// The pictures folder a user-dirs.dirs file names (a line XDG_PICTURES_DIR="$HOME/Pictures",
// with $HOME taken as `home`), or nothing when it names none or a relative path.
std::optional<std::filesystem::path> picturesFolderFromUserDirs(std::string_view text,
                                                                const std::filesystem::path& home);

// The user's pictures folder: $XDG_PICTURES_DIR, else the one named in user-dirs.dirs of the
// configuration folder ($XDG_CONFIG_HOME, else ~/.config), else ~/Pictures. Nothing without
// any of them and without HOME.
std::optional<std::filesystem::path> userPicturesFolder();

// Saves the frame, named after the game in `gameFolder` (the current directory when empty),
// making the folder if it is missing, and says where on stderr, or why not; a failure never
// ends the run.
void saveScreenshot(const RenderState& render, const std::filesystem::path& gameFolder);

}  // namespace tsuzuri
