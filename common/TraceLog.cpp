#include "common/TraceLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0 ? std::string() : std::strerror(errno);
}

std::string TraceLog::append(std::string_view line) {
    if (fd_ < 0) {
        return "the log is not open";
    }
    // O_APPEND puts each write at the end as one piece; a short write to a regular file
    // means the disk is full, and the rest would land apart from its beginning.
    ssize_t written;
    do {
        written = ::write(fd_, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        return std::strerror(errno);
    }
    if (static_cast<std::size_t>(written) != line.size()) {
        return "only " + std::to_string(written) + " of " + std::to_string(line.size()) +
               " bytes were written";
    }
    if (::fsync(fd_) != 0) {
        return std::strerror(errno);
    }
    return {};
}

} // namespace halden
