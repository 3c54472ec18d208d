#include "common/AtomicFile.h"
#include "common/SigpipeBlock.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace halden {

namespace {

// How many links a path may pass through before it counts as a loop, as the kernel counts.
constexpr int kMaxLinks = 40;

std::string failure(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

// Closes a descriptor when it goes out of scope, unless it was closed and checked.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // False (errno set) when the close reports a failed write.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The name a path ends at after its symbolic links, for a path whose end does not exist
// yet (a link to a file still to be made). Empty, with errno set, on a loop or an error.
std::string finalName(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            return errno == ENOENT ? current : std::string{};
        }
        if (!S_ISLNK(status.st_mode)) {
            return current;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) {
            return {};
        }
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : joined(folderOf(current), target);
    }
    errno = ELOOP;
    return {};
}

// A short hidden name beside the target: the target's own name may already be as long
// as a name can be.
std::string temporaryName(const std::string& folder) {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               static_cast<std::uint64_t>(::getpid())};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".halden-";
    for (int i = 0; i < 10; ++i) {
        name += kLetters[random() % (sizeof kLetters - 1)];
    }
    return joined(folder, name);
}

// Gives the unnamed file `fd` the name `path`; fails with EEXIST when the name is taken.
bool linkUnnamed(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

void syncFolder(const std::string& folder) {
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

class Replacement {
public:
    Replacement(const std::string& shownPath, const std::string& target,
                const struct stat* existing)
        : shownPath_(shownPath), target_(target), folder_(folderOf(target)), existing_(existing) {}

    std::string run(std::span<const std::uint8_t> bytes) {
        Descriptor fd(open());
        if (!fd.valid()) {
            return failure("cannot create a file beside", shownPath_, errno);
        }
        keepOwnerAndMode(fd.get());
        if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
            return abandon(fd, "cannot write");
        }
        if (!linkIn(fd.get())) {
            return abandon(fd, "cannot replace");
        }
        if (!fd.close()) {
            return failure("cannot write", shownPath_, errno);
        }
        syncFolder(folder_);
        return {};
    }

private:
    int open() {
        const int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
            return fd;
        }
        // No unnamed files here: a named one, removed again on every failure.
        for (int attempt = 0; attempt < 100; ++attempt) {
            namedTemporary_ = temporaryName(folder_);
            const int named = ::open(namedTemporary_.c_str(),
                                     O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (named >= 0 || errno != EEXIST) {
                if (named < 0) {
                    namedTemporary_.clear();
                }
                return named;
            }
        }
        namedTemporary_.clear();
        errno = EEXIST;
        return -1;
    }

    // A replaced file keeps its permissions and, where this process may give it away,
    // its owner; a new file gets the usual permissions from the open.
    void keepOwnerAndMode(int fd) const {
        if (existing_ == nullptr) {
            return;
        }
        if (existing_->st_uid != ::geteuid() || existing_->st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, existing_->st_uid, existing_->st_gid);
        }
        ::fchmod(fd, existing_->st_mode & 07777);
    }

    bool linkIn(int fd) {
        if (!namedTemporary_.empty()) {
            return ::rename(namedTemporary_.c_str(), target_.c_str()) == 0;
        }
        // A new file takes its name at once; an existing one is replaced through a
        // short-lived second name, since a link never replaces a name.
        if (existing_ == nullptr) {
            if (linkUnnamed(fd, target_)) {
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string second = temporaryName(folder_);
            if (linkUnnamed(fd, second)) {
                if (::rename(second.c_str(), target_.c_str()) == 0) {
                    return true;
                }
                const int error = errno;
                ::unlink(second.c_str());
                errno = error;
                return false;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        return false;
    }

    std::string abandon(Descriptor& fd, const char* what) {
        const int error = errno;
        fd.close();
        if (!namedTemporary_.empty()) {
            ::unlink(namedTemporary_.c_str());
        }
        return failure(what, shownPath_, error);
    }

    const std::string& shownPath_;
    const std::string target_;
    const std::string folder_;
    const struct stat* existing_;
    std::string namedTemporary_;
};

// Devices and FIFOs cannot be replaced by a file: they get the bytes themselves.
std::string writeInPlace(const std::string& path, const struct stat& status,
                         std::span<const std::uint8_t> bytes) {
    // Not waiting for a reader: a FIFO nobody reads would block for ever.
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENXIO && S_ISFIFO(status.st_mode)) {
            return "cannot write " + path + ": no process reads from this FIFO";
        }
        return failure("cannot open", path, errno);
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return failure("cannot write", path, errno);
    }
    const SigpipeBlock sigpipe;
    if (!writeAll(fd.get(), bytes)) {
        return failure("cannot write", path, errno);
    }
    if (S_ISBLK(status.st_mode) && ::fsync(fd.get()) != 0) {
        return failure("cannot write", path, errno);
    }
    if (!fd.close()) {
        return failure("cannot write", path, errno);
    }
    return {};
}

} // namespace

std::string AtomicFile::write(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) {
        return failure("cannot write", "''", ENOENT);
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return failure("cannot write", path, EISDIR);
        }
        if (!S_ISREG(status.st_mode)) {
            return writeInPlace(path, status, bytes);
        }
        // The file replaced is the one at the end of any links, so they stay links.
        char* real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) {
            return failure("cannot write", path, errno);
        }
        const std::string target(real);
        std::free(real);
        return Replacement(path, target, &status).run(bytes);
    }
    if (errno != ENOENT) {
        return failure("cannot write", path, errno);
    }
    const std::string target = finalName(path);
    if (target.empty()) {
        return failure("cannot write", path, errno);
    }
    return Replacement(path, target, nullptr).run(bytes);
}

} // namespace halden
