#include "adapter/ReportTransport.h"

#include "adapter/hid/HidHandle.h"

#include <algorithm>
#include <vector>

namespace halden {

int ReportTransport::ReadReply(const HidDeviceObject& device, std::span<std::uint8_t> destination) {
    auto* handle = static_cast<HidHandle*>(device.handle);
    if (handle == nullptr) {
        return kNoHandle;
    }
    if (device.inputReportLength == 0) {
        return HidHandle::kBadArgument;
    }
    std::vector<std::uint8_t> buffer(device.inputReportLength, 0);
    const int result = handle->readInput(buffer, kReplyTimeoutMs);
    if (result == HidHandle::kTimeout) {
        handle->cancel();
        return kTimedOut;
    }
    if (result != HidHandle::kOk) {
        return result;
    }
    const std::size_t count = std::min(destination.size(), buffer.size() - 1);
    std::copy_n(buffer.begin() + 1, count, destination.begin());
    return 0;
}

bool ReportTransport::SendDataPhase(const HidDeviceObject& device,
                                    std::span<const std::uint8_t> data, TransferObserver& observer,
                                    std::size_t* reportsSent, bool* refused) {
    auto* handle = static_cast<HidHandle*>(device.handle);
    // A report shorter than 129 bytes cannot carry a data block: nothing goes out, and
    // the adapter's reply (or its silence) decides, as after a refused report.
    const bool canSend = handle != nullptr && device.featureReportLength > kDataPerReport;
    std::vector<std::uint8_t> report(device.featureReportLength);
    std::size_t sent = 0;
    if (reportsSent != nullptr) {
        *reportsSent = 0;
    }
    if (refused != nullptr) {
        *refused = !canSend && !data.empty();
    }
    while (canSend && sent < data.size()) {
        std::fill(report.begin(), report.end(), 0);
        const std::size_t n = std::min(data.size() - sent, kDataPerReport);
        std::copy_n(data.begin() + sent, n, report.begin() + 1);
        if (!handle->sendFeature(report)) {
            if (refused != nullptr) {
                *refused = true;
            }
            break;
        }
        sent += n;
        if (reportsSent != nullptr) {
            ++*reportsSent;
        }
        observer.progress(static_cast<int>(
            std::min<std::uint64_t>(std::uint64_t{sent} * 100 / data.size(), 100)));
        observer.processEvents();
        if (observer.quitRequested()) {
            observer.postQuit();
            return false;
        }
    }
    observer.progress(100);
    observer.progress(-1);
    return true;
}

} // namespace halden
