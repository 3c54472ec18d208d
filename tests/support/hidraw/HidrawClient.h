#pragma once

#include "adapter/hid/HidHandle.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace halden::test {

// One open file on an emulated hidraw node, as the kernel keeps it: the adapter's handle
// and a ring of the input reports that came since the file was opened, each without the
// report-ID byte (the adapter's descriptor has no report IDs). A thread of its own takes
// the replies off the handle, so a read that waits is answered when one comes, and a
// read after the device left ends with EIO.
class HidrawClient {
public:
    HidrawClient(std::unique_ptr<HidHandle> handle, std::size_t inputLength);
    ~HidrawClient();
    HidrawClient(const HidrawClient&) = delete;
    HidrawClient& operator=(const HidrawClient&) = delete;

    HidHandle& handle() { return *handle_; }
    // Answers the read client is waiting in, now or when a report comes.
    void read(UMockdevIoctlClient* client);
    // The length of the report a read would return now; 0 when none waits, -1 once gone.
    int pendingInput();
    // The device left the bus: a waiting read and every later one end with EIO.
    void markGone();

private:
    // The kernel's hidraw buffer holds 64 reports per open file (HIDRAW_BUFFER_SIZE).
    static constexpr std::size_t kRingLimit = 64;

    void pump();
    void completeWaiting();

    std::unique_ptr<HidHandle> handle_;
    std::size_t inputLength_;
    std::mutex mutex_;
    std::deque<std::vector<std::uint8_t>> ring_;
    UMockdevIoctlClient* waiting_ = nullptr;
    bool gone_ = false;
    bool stopping_ = false;
    std::thread pump_;
};

} // namespace halden::test
