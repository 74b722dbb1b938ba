// A whole file held in memory, read in one go.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "common/game_path.h"

namespace tsuzuri {

struct FileBuffer {
    std::unique_ptr<std::uint8_t[]> data;  // null when empty
    std::int32_t size = 0;
    std::int32_t readPos = 0;  // advanced by line readers
};

// Frees what the buffer holds, then reads the whole regular file the game path names.
// Answers false with the buffer empty when the file is missing, is not a regular file, cannot
// be read completely, or is larger than a 32-bit signed size. An empty file answers true.
bool loadWholeFile(FileBuffer& buffer, const GamePath& path);

// The same for a native path taken exactly as given.
bool loadWholeFile(FileBuffer& buffer, const std::filesystem::path& file);

// Frees the data and zeroes all fields; harmless on an empty buffer.
void releaseFileBuffer(FileBuffer& buffer);

}  // namespace tsuzuri
