#pragma once

#include "adapter/TransferObserver.h"
#include "adapter/wire/HidDeviceObject.h"

#include <cstdint>
#include <span>

namespace halden {

// The reports the programs exchange themselves on the link library's open adapter
// (the HidHandle that HidDeviceObject::handle holds): one reply, and the data phase of
// a data command.
class ReportTransport {
public:
    static constexpr int kReplyTimeoutMs = 4000;
    static constexpr int kTimedOut = 258;
    static constexpr int kNoHandle = 6; // ERROR_INVALID_HANDLE
    static constexpr std::size_t kDataPerReport = 128;

    // Reads one input report and copies its bytes after the report ID into destination
    // (as many as fit). 0 when a reply came, kTimedOut when none came within 4000 ms (the
    // read is then cancelled), otherwise the platform error of the failed read.
    static int ReadReply(const HidDeviceObject& device, std::span<std::uint8_t> destination);

    // Sends data in feature reports of the device's feature length, report ID 0, 128 data
    // bytes each and zeros after them, drawing progress after each accepted report and
    // handling window events between reports. A refused report ends the sending early;
    // the reply then decides. False only when the application quits meanwhile.
    // sent and refused (when given): how many reports went out, and whether one was
    // refused.
    static bool SendDataPhase(const HidDeviceObject& device, std::span<const std::uint8_t> data,
                              TransferObserver& observer, std::size_t* sent = nullptr,
                              bool* refused = nullptr);
};

} // namespace halden
