#include "common/file_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <new>

namespace tsuzuri {
namespace {

// Closes the descriptor when it goes out of scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace

void releaseFileBuffer(FileBuffer& buffer) {
    buffer.data.reset();
    buffer.size = 0;
    buffer.readPos = 0;
}

bool loadWholeFile(FileBuffer& buffer, const std::filesystem::path& file, std::int32_t maxBytes) {
    releaseFileBuffer(buffer);

    // Non-blocking so that a FIFO put where a file should be cannot stall the player; the
    // type is checked on the open descriptor, so nothing can swap the file in between.
    FileDescriptor descriptor{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (descriptor.fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(descriptor.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    if (info.st_size < 0 || info.st_size > maxBytes) {
        return false;
    }
    const auto size = static_cast<std::int32_t>(info.st_size);
    if (size == 0) {
        return true;
    }
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[size]);
    if (!data) {
        return false;
    }
    std::int32_t done = 0;
    while (done < size) {
        ssize_t got = ::read(descriptor.fd, data.get() + done, static_cast<size_t>(size - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;  // error, or the file shrank while being read
        }
        done += static_cast<std::int32_t>(got);
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
