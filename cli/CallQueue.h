#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace halden {

// Calls posted from other threads (the upgrade worker, the device watch), run in order on
// the thread that drains the queue, as a window's thread runs its queued calls.
class CallQueue {
public:
    void post(std::function<void()> call);
    // Runs the posted calls until done() holds after one of them.
    void runUntil(const std::function<bool()>& done);
    // Runs the calls already posted, without waiting for more.
    void runPending();

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

} // namespace halden
