#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace halden {

// The event the firmware upgrade waits on after its Restart report: manual reset, not
// signalled when made. The window's thread signals it when the boot loader leaves the
// bus; the worker resets it before the Restart, so a removal seen earlier does not count.
class UpgradeEvent {
public:
    // The programmer's event; the pack setup tool names its own.
    static constexpr const char* kProgrammerName =
        "HaldenProgrammer {6F1D3A52-8C47-4B9E-A2D0-3E5B71C9F846}";

    enum class Wait { Signalled, TimedOut };

    explicit UpgradeEvent(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    void set();
    void reset();
    bool signalled() const;
    // Returns at once when signalled, else when set() comes or after timeout.
    Wait wait(std::chrono::milliseconds timeout);

private:
    const std::string name_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

} // namespace halden
