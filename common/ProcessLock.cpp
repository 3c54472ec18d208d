#include "common/ProcessLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace halden {

namespace {

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::weak_ptr<ProcessLock>>& registry() {
    static std::map<std::string, std::weak_ptr<ProcessLock>> locks;
    return locks;
}

} // namespace

ProcessLock::~ProcessLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

std::shared_ptr<ProcessLock> ProcessLock::acquire(const std::string& path, bool create,
                                                  Outcome& outcome) {
    const std::lock_guard lock(registryMutex());
    auto& slot = registry()[path];
    if (auto held = slot.lock()) {
        outcome = Outcome::Taken;
        return held;
    }
    const int flags = O_RDWR | O_CLOEXEC | O_NOCTTY | (create ? O_CREAT : 0);
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0 && !create) {
        // A device node the user may read but not write can still be locked.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0) {
        outcome = Outcome::Failed;
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        outcome = errno == EWOULDBLOCK ? Outcome::InUse : Outcome::Failed;
        ::close(fd);
        return nullptr;
    }
    std::shared_ptr<ProcessLock> taken(new ProcessLock(path, fd));
    slot = taken;
    outcome = Outcome::Taken;
    return taken;
}

} // namespace halden
