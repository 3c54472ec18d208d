#include "common/TraceLog.h"
#include "common/SigpipeBlock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halden {

TraceLog::~TraceLog() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::string TraceLog::open(const std::string& path) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    path_ = path;
    syncs_ = false;
    // Not waiting for a reader: a FIFO nobody reads would block for ever, before the
    // adapter is touched and without a word.
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                 0644);
    if (fd_ < 0) {
        const int error = errno;
        struct stat status {};
        const bool fifo = ::stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
        return error == ENXIO && fifo ? "no process reads from this FIFO" : std::strerror(error);
    }
    struct stat status {};
    const int flags = ::fcntl(fd_, F_GETFL);
    if (::fstat(fd_, &status) != 0 || flags < 0 ||
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        return std::strerror(error);
    }
    syncs_ = S_ISREG(status.st_mode);
    return {};
}

std::string TraceLog::append(std::string_view line) {
    if (fd_ < 0) {
        return "the log is not open";
    }
    // O_APPEND puts each write at the end as one piece; a short write to a regular file
    // means the disk is full, and the rest would land apart from its beginning.
    ssize_t written;
    int error = 0;
    {
        const SigpipeBlock sigpipe; // a FIFO's reader may have gone
        do {
            written = ::write(fd_, line.data(), line.size());
        } while (written < 0 && errno == EINTR);
        error = errno; // the block's end may set errno
    }
    if (written < 0) {
        return std::strerror(error);
    }
    if (static_cast<std::size_t>(written) != line.size()) {
        return "only " + std::to_string(written) + " of " + std::to_string(line.size()) +
               " bytes were written";
    }
    if (syncs_ && ::fsync(fd_) != 0) {
        return std::strerror(errno);
    }
    return {};
}

} // namespace halden
