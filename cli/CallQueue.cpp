#include "cli/CallQueue.h"

namespace halden {

void CallQueue::post(std::function<void()> call) {
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    posted_.notify_all();
}

void CallQueue::runUntil(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    while (!done()) {
        posted_.wait(lock, [this] { return !calls_.empty(); });
        auto call = std::move(calls_.front());
        calls_.pop_front();
        lock.unlock();
        call();
        lock.lock();
    }
}

void CallQueue::runPending() {
    std::unique_lock lock(mutex_);
    while (!calls_.empty()) {
        auto call = std::move(calls_.front());
        calls_.pop_front();
        lock.unlock();
        call();
        lock.lock();
    }
}

} // namespace halden
