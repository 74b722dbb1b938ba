// A whole file held in memory, read in one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "common/game_path.h"

namespace tsuzuri {

// No file of a game is read whole beyond this size: far above any real picture (a picture at
// the largest allowed size is at most 256 MiB) or sound, and small enough that a hostile file
// cannot take the machine's memory.
constexpr std::int32_t kMaxGameFileBytes = 512 * 1024 * 1024;
// Text files (scripts, sequences, settings) are refused beyond this size.
constexpr std::int32_t kMaxTextFileBytes = 64 * 1024 * 1024;

struct FileBuffer {
    std::unique_ptr<std::uint8_t[]> data;  // null when empty
    std::int32_t size = 0;
    std::int32_t readPos = 0;  // advanced by line readers
};

// Frees what the buffer holds, then reads the whole regular file the game path names.
// Answers false with the buffer empty when the file is missing, is not a regular file, cannot
// be read completely, or is larger than `maxBytes`. An empty file answers true.
bool loadWholeFile(FileBuffer& buffer, const GamePath& path,
                   std::int32_t maxBytes = kMaxGameFileBytes);

// The same for a native path taken exactly as given.
bool loadWholeFile(FileBuffer& buffer, const std::filesystem::path& file,
                   std::int32_t maxBytes = kMaxGameFileBytes);

// Frees the data and zeroes all fields; harmless on an empty buffer.
void releaseFileBuffer(FileBuffer& buffer);

// A regular file of the game held open for reading in parts (a large sound is read while it
// already plays). Closed when it goes.
struct OpenFile {
    int fd = -1;
    std::int64_t size = 0;

    OpenFile() = default;
    OpenFile(OpenFile&& other) noexcept;
    OpenFile& operator=(OpenFile&& other) noexcept;
    ~OpenFile();
};

// Opens the regular file the game path names, of at most `maxBytes`. Answers false (and leaves
// `file` closed) when it is missing, not a regular file, unreadable or larger.
bool openGameFile(OpenFile& file, const GamePath& path, std::int64_t maxBytes = kMaxGameFileBytes);

// Reads up to `bytes` bytes from `offset` on; answers how many were read (fewer at the end of
// the file, or when it shrank meanwhile; 0 on an error).
std::size_t readFileAt(const OpenFile& file, std::uint64_t offset, std::uint8_t* out,
                       std::size_t bytes);

}  // namespace tsuzuri
