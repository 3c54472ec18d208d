#include "common/SigpipeBlock.h"

#include <pthread.h>
#include <time.h>

namespace halden {

SigpipeBlock::SigpipeBlock() {
    sigemptyset(&pipeSet_);
    sigaddset(&pipeSet_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSet_, &previous_);
}

SigpipeBlock::~SigpipeBlock() {
    if (!wasPending_) {
        const timespec none{0, 0};
        while (sigtimedwait(&pipeSet_, nullptr, &none) == SIGPIPE) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace halden
