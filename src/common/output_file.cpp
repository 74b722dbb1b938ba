#include "common/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tsuzuri {

bool writeAllToDescriptor(int fd, std::string_view bytes, std::uint64_t& written) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            errno = EIO;  // write(2) makes no progress only when something is wrong
            return false;
        }
        written += static_cast<std::uint64_t>(count);
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

OutputFile::~OutputFile() {
    close();
}

bool OutputFile::fail() {
    reason_ = std::strerror(errno);
    return false;
}

int OutputFile::createNew(const std::filesystem::path& file) {
    close();
    path_ = file;
    size_ = 0;
    // O_EXCL also refuses a symbolic link, dangling or not: nothing is written through one.
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        const int error = errno;
        fail();
        return error;
    }
    return 0;
}

bool OutputFile::append(std::string_view bytes) {
    if (fd_ < 0) {
        errno = EBADF;
        return fail();
    }
    return writeAllToDescriptor(fd_, bytes, size_) || fail();
}

bool OutputFile::overwrite(std::uint64_t offset, std::string_view bytes) {
    if (fd_ < 0) {
        errno = EBADF;
        return fail();
    }
    while (!bytes.empty()) {
        const ssize_t count = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            if (count == 0) {
                errno = EIO;
            }
            return fail();
        }
        offset += static_cast<std::uint64_t>(count);
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

bool OutputFile::shrinkTo(std::uint64_t size) {
    if (fd_ < 0) {
        errno = EBADF;
        return fail();
    }
    if (size > size_) {
        errno = EINVAL;  // growing would pad with zeros that were never written
        return fail();
    }
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
        ::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
        return fail();
    }
    size_ = size;
    return true;
}

bool OutputFile::close() {
    if (fd_ < 0) {
        return true;
    }
    const int fd = fd_;
    fd_ = -1;
    // Linux frees the descriptor even when close reports an error, so it is never retried.
    return ::close(fd) == 0 || fail();
}

}  // namespace tsuzuri
