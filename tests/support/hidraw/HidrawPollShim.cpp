// The poll shim: preloaded after umockdev's library into programs that run against the
// harness's hidraw nodes. umockdev forwards ioctl, read and write on an emulated node to
// the harness, but poll on it never reports the input a read would return, so a read with
// a time-out (hidapi polls before it reads) would never see a reply. This poll asks each
// emulated hidraw node for its waiting input (kHidrawPendingInput) instead, the way the
// kernel's poll on the node would answer, and hands every other descriptor to the real
// poll. Without UMOCKDEV_DIR it is the real poll.
#include "tests/support/hidraw/HidrawPendingInput.h"

#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using PollFunction = int (*)(pollfd*, nfds_t, int);

PollFunction realPoll() {
    static const auto function = reinterpret_cast<PollFunction>(dlsym(RTLD_NEXT, "poll"));
    return function;
}

// Whether fd may be open on one of the testbed's hidraw nodes: umockdev backs each node
// with a pseudo-terminal and hands its ioctls to the harness.
bool maybeEmulated(int fd) {
    char link[64];
    char target[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    constexpr const char kTerminals[] = "/dev/pts/";
    return length > 0 && std::strncmp(target, kTerminals, sizeof kTerminals - 1) == 0;
}

// The node's answer to kHidrawPendingInput: false for a descriptor the harness does not
// answer (a real terminal refuses the request).
bool askPending(int fd, short wanted, short& events) {
    int pending = 0;
    const int saved = errno;
    const int result = ioctl(fd, halden::test::kHidrawPendingInput, &pending);
    const int error = errno;
    errno = saved;
    if (result < 0 && error != ENODEV) {
        return false;
    }
    events = static_cast<short>(wanted & (POLLOUT | POLLWRNORM));
    if (result < 0) {
        events = POLLERR | POLLHUP; // the device is gone, as the kernel reports it
    } else if (pending > 0) {
        events = static_cast<short>(events | (wanted & (POLLIN | POLLRDNORM)));
    }
    return true;
}

constexpr auto kStep = std::chrono::microseconds(500);

} // namespace

extern "C" __attribute__((visibility("default"))) int poll(pollfd* fds, nfds_t count,
                                                           int timeoutMs) {
    const bool testbed = std::getenv("UMOCKDEV_DIR") != nullptr;
    std::vector<bool> emulated(count, false);
    bool any = false;
    short events = 0;
    for (nfds_t i = 0; testbed && i < count; ++i) {
        emulated[i] = fds[i].fd >= 0 && maybeEmulated(fds[i].fd) &&
                      askPending(fds[i].fd, fds[i].events, events);
        any = any || emulated[i];
    }
    if (!any) {
        return realPoll()(fds, count, timeoutMs);
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    std::vector<pollfd> others;
    for (;;) {
        int ready = 0;
        others.clear();
        for (nfds_t i = 0; i < count; ++i) {
            if (emulated[i]) {
                if (!askPending(fds[i].fd, fds[i].events, fds[i].revents)) {
                    fds[i].revents = POLLNVAL;
                }
                ready += fds[i].revents != 0;
            } else {
                others.push_back(fds[i]);
            }
        }
        if (!others.empty()) {
            const int found = realPoll()(others.data(), others.size(), 0);
            if (found < 0) {
                return found;
            }
            ready += found;
            for (nfds_t i = 0, k = 0; i < count; ++i) {
                if (!emulated[i]) {
                    fds[i].revents = others[k++].revents;
                }
            }
        }
        if (ready > 0 || (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline)) {
            return ready;
        }
        std::this_thread::sleep_for(kStep);
    }
}
