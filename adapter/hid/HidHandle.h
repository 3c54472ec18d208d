#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace halden {

// An open HID device: the reports the system exchanges with the adapter. Byte 0 of
// every report buffer is the report ID, and the lengths count it. One thread may
// block in readInput while another calls cancel (the firmware-upgrade worker and the
// window thread share the link that way); the other calls are made by one thread at
// a time.
class HidHandle {
public:
    // Results of readInput, in the platform's error numbers the programs already know.
    static constexpr int kOk = 0;
    static constexpr int kTimeout = 258;     // WAIT_TIMEOUT
    static constexpr int kAborted = 995;     // ERROR_OPERATION_ABORTED: cancel() ended the read
    static constexpr int kDeviceGone = 1167; // ERROR_DEVICE_NOT_CONNECTED
    static constexpr int kBadArgument = 87;  // ERROR_INVALID_PARAMETER
    // ERROR_INVALID_DATA: an input report came under another report ID or with another
    // length than the device's input report (InputReportCheck); it is dropped.
    static constexpr int kInvalidData = 13;

    virtual ~HidHandle() = default;

    virtual std::size_t featureReportLength() const = 0;
    virtual std::size_t inputReportLength() const = 0;
    virtual std::size_t outputReportLength() const = 0;

    // Sends a feature report; false when the device or the platform refuses it.
    virtual bool sendFeature(std::span<const std::uint8_t> report) = 0;
    // Reads the feature report whose ID is in report[0] into report; false on refusal.
    virtual bool getFeature(std::span<std::uint8_t> report) = 0;
    // Waits up to timeoutMs for one input report and copies what fits into buffer.
    // kOk, kTimeout, kAborted, kDeviceGone, kInvalidData or another platform error number.
    virtual int readInput(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
    // Sends an output report; false when it is refused.
    virtual bool writeOutput(std::span<const std::uint8_t> report) = 0;
    // Ends a readInput that is waiting on another thread with kAborted; no effect when
    // none waits.
    virtual void cancel() = 0;
    // The platform's text for the last call that failed on this handle (hidapi's
    // hid_error()); empty when it has none.
    virtual std::string lastError() const { return {}; }
};

} // namespace halden
