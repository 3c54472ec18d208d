#include "tests/support/hidraw/HidrawClient.h"

#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace halden::test {

namespace {

// How long the pump waits on the handle before it looks whether it should stop.
constexpr int kPumpSliceMs = 100;

} // namespace

HidrawClient::HidrawClient(std::unique_ptr<HidHandle> handle, std::size_t inputLength)
    : handle_(std::move(handle)), inputLength_(inputLength), pump_([this] { pump(); }) {}

HidrawClient::~HidrawClient() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    handle_->cancel();
    pump_.join();
    if (waiting_ != nullptr) {
        g_object_unref(waiting_);
    }
}

void HidrawClient::pump() {
    std::vector<std::uint8_t> report(inputLength_);
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (stopping_ || gone_) {
                return;
            }
        }
        const int result = handle_->readInput(report, kPumpSliceMs);
        const std::lock_guard lock(mutex_);
        if (result == HidHandle::kDeviceGone) {
            gone_ = true;
        } else if (result == HidHandle::kOk || result == HidHandle::kInvalidData) {
            // Without report IDs the ID byte never reaches the host. A report the
            // descriptor does not declare (the adapter's badreport fault) shows as one
            // of another length.
            const std::size_t length =
                result == HidHandle::kOk ? inputLength_ - 1 : inputLength_ - 2;
            if (ring_.size() == kRingLimit) {
                ring_.pop_front();
            }
            ring_.emplace_back(report.begin() + 1, report.begin() + 1 + long(length));
        } else {
            continue;
        }
        completeWaiting();
    }
}

void HidrawClient::completeWaiting() {
    if (waiting_ == nullptr || (ring_.empty() && !gone_)) {
        return;
    }
    UMockdevIoctlClient* client = waiting_;
    waiting_ = nullptr;
    if (ring_.empty()) {
        umockdev_ioctl_client_complete(client, -1, EIO);
    } else {
        UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
        const auto& next = ring_.front();
        const std::size_t copied =
            std::min(next.size(), static_cast<std::size_t>(std::max(buffer->data_len, 0)));
        std::memcpy(buffer->data, next.data(), copied);
        ring_.pop_front();
        umockdev_ioctl_client_complete(client, static_cast<glong>(copied), 0);
    }
    g_object_unref(client);
}

void HidrawClient::read(UMockdevIoctlClient* client) {
    const std::lock_guard lock(mutex_);
    if (waiting_ != nullptr) {
        // One read at a time per file; a second one from another thread is refused.
        umockdev_ioctl_client_complete(client, -1, EBUSY);
        return;
    }
    waiting_ = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    completeWaiting();
}

int HidrawClient::pendingInput() {
    const std::lock_guard lock(mutex_);
    if (!ring_.empty()) {
        return static_cast<int>(ring_.front().size());
    }
    return gone_ ? -1 : 0;
}

void HidrawClient::markGone() {
    const std::lock_guard lock(mutex_);
    gone_ = true;
    completeWaiting();
}

} // namespace halden::test
