#pragma once

#include <signal.h>

namespace halden {

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the process;
// while this lives the signal stays pending for this thread and is then dropped, so the
// write fails with EPIPE instead.
class SigpipeBlock {
public:
    SigpipeBlock();
    ~SigpipeBlock();
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    sigset_t pipeSet_;
    sigset_t previous_;
    bool wasPending_ = false;
};

} // namespace halden
