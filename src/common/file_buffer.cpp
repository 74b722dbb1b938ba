#include "common/file_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <new>
#include <optional>

namespace tsuzuri {
void releaseFileBuffer(FileBuffer& buffer) {
    buffer.data.reset();
    buffer.size = 0;
    buffer.readPos = 0;
}

namespace {

// Opens a native path as OpenFile does.
bool openNativeFile(OpenFile& file, const std::filesystem::path& path, std::int64_t maxBytes) {
    file = OpenFile{};
    // Non-blocking so that a FIFO put where a file should be cannot stall the player; the
    // type is checked on the open descriptor, so nothing can swap the file in between.
    OpenFile opened;
    opened.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (opened.fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(opened.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    if (info.st_size < 0 || info.st_size > maxBytes) {
        return false;
    }
    opened.size = info.st_size;
    file = std::move(opened);
    return true;
}

}  // namespace

OpenFile::OpenFile(OpenFile&& other) noexcept : fd(other.fd), size(other.size) {
    other.fd = -1;
    other.size = 0;
}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = other.fd;
        size = other.size;
        other.fd = -1;
        other.size = 0;
    }
    return *this;
}

OpenFile::~OpenFile() {
    if (fd >= 0) {
        ::close(fd);
    }
}

bool openGameFile(OpenFile& file, const GamePath& path, std::int64_t maxBytes) {
    std::optional<std::filesystem::path> found = resolveGameFile(path);
    if (!found) {
        file = OpenFile{};
        return false;
    }
    return openNativeFile(file, *found, maxBytes);
}

std::size_t readFileAt(const OpenFile& file, std::uint64_t offset, std::uint8_t* out,
                       std::size_t bytes) {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t got =
            ::pread(file.fd, out + done, bytes - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;  // the end, an error, or the file shrank while being read
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool loadWholeFile(FileBuffer& buffer, const std::filesystem::path& file, std::int32_t maxBytes) {
    releaseFileBuffer(buffer);
    OpenFile opened;
    if (!openNativeFile(opened, file, maxBytes)) {
        return false;
    }
    const auto size = static_cast<std::int32_t>(opened.size);
    if (size == 0) {
        return true;
    }
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[size]);
    if (!data) {
        return false;
    }
    if (readFileAt(opened, 0, data.get(), static_cast<std::size_t>(size)) !=
        static_cast<std::size_t>(size)) {
        return false;  // error, or the file shrank while being read
    }
    buffer.data = std::move(data);
    buffer.size = size;
    buffer.readPos = 0;
    return true;
}

bool loadWholeFile(FileBuffer& buffer, const GamePath& path, std::int32_t maxBytes) {
    std::optional<std::filesystem::path> file = resolveGameFile(path);
    if (!file) {
        releaseFileBuffer(buffer);
        return false;
    }
    return loadWholeFile(buffer, *file, maxBytes);
}

}  // namespace tsuzuri
