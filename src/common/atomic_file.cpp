#include "common/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/output_file.h"

namespace tsuzuri {
namespace {

bool failWith(std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    return false;
}

}  // namespace

std::filesystem::path atomicTempPath(const std::filesystem::path& file) {
    return file.parent_path() /
           ("." + file.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
}

bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         std::string& error) {
    const std::filesystem::path temp = atomicTempPath(file);
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return failWith(error, "cannot create " + temp.string());
    }
    std::uint64_t count = 0;
    const bool written = writeAllToDescriptor(fd, bytes, count) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    if (::close(fd) != 0 || !written) {
        errno = written ? errno : savedErrno;
        failWith(error, "cannot write " + temp.string());
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        failWith(error, "cannot replace " + file.string());
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

}  // namespace tsuzuri
