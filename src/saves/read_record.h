// The pages and menus of a game the reader has been shown, kept between runs in the state
// folder as game-<key>.read (the key as in state_text.h): text, one pair of lines per script,
//
//   tsuzuri-read 1                 the format's version
//   script script/start.txt        the script's file below the game folder
//   lines 1-20 25 30-41            the file lines shown, in runs, ascending
//
// replaced atomically.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "script_engine/read_lines.h"

namespace tsuzuri {

// The game's record in `stateFolder`.
std::filesystem::path readRecordFile(const std::filesystem::path& stateFolder,
                                     const std::filesystem::path& gameFolder,
                                     std::string_view title);

std::string formatReadRecord(const ReadLines& lines);
// Takes nothing malformed: false with the reason, `lines` then as they were.
bool parseReadRecord(std::string_view text, ReadLines& lines, std::string& reason);

// Reads the record into `lines`; a missing file is an empty record. False with the reason for a
// file that cannot be read or is damaged (`lines` are then empty).
bool loadReadRecord(const std::filesystem::path& file, ReadLines& lines, std::string& reason);
// Writes the record; false with the reason.
bool keepReadRecord(const std::filesystem::path& file, const ReadLines& lines, std::string& error);

}  // namespace tsuzuri
