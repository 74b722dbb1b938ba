// A file written front to back where every write is checked and the bytes that reached the
// file are known, for output that must never be lost without a word (recordings). Made with
// exclusive creation: it never writes into a file that was there before.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tsuzuri {

// Writes all of `bytes` to the descriptor, going on after interruptions and short writes.
// On failure answers false with errno set; what was written before the failure stays.
bool writeAllToDescriptor(int fd, std::string_view bytes, std::uint64_t& written);

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates `file` for writing. Fails when anything is there already, a dangling link
    // included. Answers 0, or the errno value of the failure (EEXIST when something is there).
    int createNew(const std::filesystem::path& file);
    // Appends `bytes`. On failure answers false; size() counts what reached the file.
    bool append(std::string_view bytes);
    // Overwrites bytes already in the file, at `offset` (within size()).
    bool overwrite(std::uint64_t offset, std::string_view bytes);
    // Cuts the file down to `size` bytes (no more than size()).
    bool shrinkTo(std::uint64_t size);
    // Closes the file; answers false when the system reports a failure doing so.
    bool close();

    bool isOpen() const { return fd_ >= 0; }
    std::uint64_t size() const { return size_; }
    const std::filesystem::path& path() const { return path_; }
    // The system's reason for the last failure, e.g. "No space left on device".
    const std::string& reason() const { return reason_; }

private:
    bool fail();

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::filesystem::path path_;
    std::string reason_;
};

}  // namespace tsuzuri
