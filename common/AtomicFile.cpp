#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halden {

namespace {

std::string failure(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string AtomicFile::write(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return failure("cannot create a file beside", path, errno);
    }
    // mkstemp makes the file private; a saved file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    const bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !ok) {
        std::remove(temporary.c_str());
        return failure("cannot write", path, ok ? errno : error);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        std::remove(temporary.c_str());
        return failure("cannot replace", path, renameError);
    }
    return {};
}

} // namespace halden
