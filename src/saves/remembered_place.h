// The place each game's story stopped at, kept between runs in the state folder:
//
//   game-<16 hex digits>.state  one game's place; the digits are the 64-bit FNV-1a hash of the
//                               game folder's absolute path, a NUL byte and the game's title
//                               (WindowTitle of Game.INI, as its bytes stand)
//   last-game                   the folder of the game played last, then a line end
//
// A place file is text, one line per key in this order, each ended by LF:
//
//   tsuzuri-place 1            the format's version
//   script script/start.txt    the script's file: below the game folder, or absolute
//   line 12                    the file line (from 1) of the line the story waits on
//   window shown               or "hidden"
//   picture sky.png            the scene picture in cg/
//   bgm rain.wav               the BGM in wave/
//   loopse                     the looping sound effect in wave/
//   loopwao                    the repeating sequence in wave/
//
// A key alone means none. Values are the bytes the game (Shift-JIS) or the file system names
// them by, every byte outside '!'..'~' and every '%' written as %XX with upper-case hex
// digits; last-game's path is written the same way. Both files are replaced atomically.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "script_engine/story_place.h"

namespace tsuzuri {

// $XDG_STATE_HOME/tsuzuri, else ~/.local/state/tsuzuri; empty when neither can be found.
std::filesystem::path defaultStateFolder();

// The name of the game's place file in the state folder.
std::string placeFileName(const std::filesystem::path& gameFolder, std::string_view title);

// The place's own lines (script to loopwao), and back: for files that hold a place among other
// things.
std::string formatPlaceLines(const StoryPlace& place, const std::filesystem::path& gameFolder);
bool takePlaceLines(std::string_view& text, const std::filesystem::path& gameFolder,
                    StoryPlace& place, std::string& reason);
// Takes the first line, which must be `key` and `version`; `notOne` is the reason when it is
// not `key` at all.
bool takeVersion(std::string_view& text, std::string_view key, std::string_view version,
                 const char* notOne, std::string& reason);

// The place as the text of a place file, and back. The reader takes nothing malformed: on
// anything that is not exactly a place file of this version it answers false with the reason.
std::string formatPlace(const StoryPlace& place, const std::filesystem::path& gameFolder);
bool parsePlace(std::string_view text, const std::filesystem::path& gameFolder, StoryPlace& place,
                std::string& reason);

// Writes the game's place and last-game. On failure answers false with the reason.
bool rememberPlace(const std::filesystem::path& stateFolder,
                   const std::filesystem::path& gameFolder, std::string_view title,
                   const StoryPlace& place, std::string& error);
// Writes last-game alone. On failure answers false with the reason.
bool rememberLastGame(const std::filesystem::path& stateFolder,
                      const std::filesystem::path& gameFolder, std::string& error);
// Deletes the game's place (its story has ended) and writes last-game.
void forgetPlace(const std::filesystem::path& stateFolder, const std::filesystem::path& gameFolder,
                 std::string_view title);

enum class RecalledPlace { Found, None, Unusable };
// Reads the game's place. Unusable (with the reason) when the file is there but cannot be read
// or is malformed.
RecalledPlace recallPlace(const std::filesystem::path& stateFolder,
                          const std::filesystem::path& gameFolder, std::string_view title,
                          StoryPlace& place, std::string& reason);

// The folder last-game names, when it holds one.
std::optional<std::filesystem::path> lastGameFolder(const std::filesystem::path& stateFolder);

}  // namespace tsuzuri
