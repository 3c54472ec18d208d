#pragma once

#include <memory>
#include <string>

namespace halden {

// An exclusive lock on a file that holds for this process alone: flock() on the file,
// shared by every holder in the process, released when the last holder lets go. Another
// process asking for the same file is refused at once, so an adapter (its device node,
// or the emulator's state folder) is used by one process at a time.
class ProcessLock {
public:
    enum class Outcome { Taken, InUse, Failed };

    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

    // The lock on path; null with outcome InUse when another process holds it, Failed
    // when the file cannot be opened (create: make it when missing).
    static std::shared_ptr<ProcessLock> acquire(const std::string& path, bool create,
                                                Outcome& outcome);

private:
    ProcessLock(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

    std::string path_;
    int fd_;
};

} // namespace halden
