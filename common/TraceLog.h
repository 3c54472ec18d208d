#pragma once

#include <string>
#include <string_view>

namespace halden {

// A log file that many processes append to at once: opened for appending, each line
// written with one write call (so lines from different processes never tear or mix) and
// flushed to the disk before append returns. A device or a FIFO (a reader's pipe) takes
// the lines as they are written, without a flush it cannot give; a FIFO that nobody
// reads fails at open instead of blocking.
class TraceLog {
public:
    TraceLog() = default;
    ~TraceLog();
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    // Opens (creating) the file for appending. Empty on success, otherwise why not; it
    // never waits for a FIFO's reader.
    std::string open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Appends the line whole and syncs it. Empty on success, otherwise why not.
    std::string append(std::string_view line);

private:
    int fd_ = -1;
    std::string path_;
    bool syncs_ = false; // a regular file, whose lines are flushed to the disk
};

} // namespace halden
