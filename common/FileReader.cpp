#include "common/FileReader.h"

#include "common/HugePages.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halden {

namespace {

std::string sizeText(std::uintmax_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

FileReader::Result failed(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

} // namespace

std::optional<std::vector<std::uint8_t>> FileReader::readAll(const std::string& path,
                                                             std::uintmax_t maxSize) {
    return read(path, maxSize).bytes;
}

FileReader::Result FileReader::read(const std::string& path, std::uintmax_t maxSize) {
    // Not waiting on a FIFO nobody writes to: such a path is refused below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return failed(std::strerror(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return failed(std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        return failed("it is a folder, not a regular file");
    }
    if (!S_ISREG(status.st_mode)) {
        return failed("not a regular file");
    }
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (size > maxSize) {
        return failed("larger than " + sizeText(maxSize));
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    HugePages::advise(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return failed(std::strerror(errno));
        }
        if (n == 0) {
            return failed("it became shorter while it was read");
        }
        done += static_cast<std::size_t>(n);
    }
    return {std::move(bytes), {}};
}

} // namespace halden
