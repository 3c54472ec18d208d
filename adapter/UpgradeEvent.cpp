#include "adapter/UpgradeEvent.h"

namespace halden {

void UpgradeEvent::set() {
    {
        const std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void UpgradeEvent::reset() {
    const std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool UpgradeEvent::signalled() const {
    const std::lock_guard lock(mutex_);
    return signalled_;
}

UpgradeEvent::Wait UpgradeEvent::wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return signalled_; }) ? Wait::Signalled
                                                                           : Wait::TimedOut;
}

} // namespace halden
