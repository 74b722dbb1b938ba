// Script files: reading a script into classified lines, the game folder, label lookup.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_buffer.h"
#include "common/game_path.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_line.h"

namespace tsuzuri {

// Longest line kept; the rest of a longer line is dropped.
constexpr int kMaxLineBytes = 1023;

// Sets the game folder from the path, reads and classifies the file and replaces the loaded
// lines. Answers false, leaving the lines as they were, when the path has no folder two levels
// up or the file cannot be read; the game folder changes in the second case all the same.
bool loadScript(SceneState& scene, const GamePath& path);

// Cuts the rest of the buffer into lines and appends each non-empty one, classified and with
// its file line, to the loaded lines (the reading part of loadScript).
void appendScriptLines(SceneState& scene, FileBuffer& buffer);

// Reads the loaded script's file again and puts the story at the file line it stood on (or the
// next stored one), keeping the scene but for what the lines before it now set otherwise (a
// mended picture line shows). When the file no longer loads, no longer reaches that line, or
// was saved with other line ends or in another encoding, answers false with the reason in
// `problem` and leaves everything as it was.
bool reloadScript(SceneState& scene, std::string& problem);

// The index of the first loaded line read from file line `fileLine` or after it; the number of
// lines when there is none.
std::int32_t lineIndexAtFileLine(const SceneState& scene, std::int32_t fileLine);

// The number of lines of a file as an editor counts them (a line end at the very end of the
// file starts no further line).
std::int32_t fileLineCount(const FileBuffer& buffer);

// Releases every line.
void clearScript(SceneState& scene);

// Takes the next line from `buffer` at its read position into `out` (at least 1024 bytes,
// zeroed by the caller) and moves the position past the line end. A line ends at CR LF or
// LF CR; a lone CR or LF belongs to the line. Answers the number of bytes copied (at most
// 1023; 0 for an empty line).
int readScriptLine(FileBuffer& buffer, char* out);

// Counts the lines of a file as an editor does (from 1; LF, CR LF and a lone CR each end one),
// so that a line the reader cut can be named by the line an author sees it on.
class FileLineCounter {
public:
    // The line the byte at `offset` stands on. Offsets asked must not decrease.
    std::int32_t lineAt(const FileBuffer& buffer, std::int32_t offset);

private:
    std::int32_t line_ = 1;
    std::int32_t countedTo_ = 0;
};

// Whether a line names a file by a path that leaves the game folder (through "..").
bool namesFileOutsideGame(std::string_view text);

// The kind of one line, testing which of the folders of the game in `gameFolder` hold a file of
// that name.
LineKind classifyLine(const std::filesystem::path& gameFolder, std::string_view text);

// Index of the first Label line named `name`, or -1 (also for a null name).
std::int32_t findLabel(const SceneState& scene, const char* name);

// The game folder a script path gives: the path up to its second-to-last backslash, counting
// the folder's separators and the name's backslashes but not its slashes, taken on the native
// path the name maps to. Nothing when there is no such separator or it is the path's first byte.
std::optional<std::filesystem::path> deriveGameFolder(const GamePath& scriptPath);

}  // namespace tsuzuri
