#pragma once

#include "adapter/hid/HidHandle.h"
#include "adapter/hid/HidReportDescriptor.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

struct hid_device_;

namespace halden {

class ProcessLock;

// A real adapter opened through hidapi (hidraw). Reports without IDs travel without
// their zero byte on the wire; this handle adds and removes it so callers always see
// byte 0 as the report ID, as the system's reports have it. An input report that is not
// the one the descriptor declares (InputReportCheck) is dropped with kInvalidData.
class HidapiHandle : public HidHandle {
public:
    // lock: this process's hold on the device node (null when it could not be taken).
    HidapiHandle(hid_device_* device, const HidReportDescriptor::Lengths& lengths,
                 std::shared_ptr<ProcessLock> lock);
    ~HidapiHandle() override;
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    std::size_t featureReportLength() const override { return lengths_.feature; }
    std::size_t inputReportLength() const override { return lengths_.input; }
    std::size_t outputReportLength() const override { return lengths_.output; }

    bool sendFeature(std::span<const std::uint8_t> report) override;
    bool getFeature(std::span<std::uint8_t> report) override;
    int readInput(std::span<std::uint8_t> buffer, int timeoutMs) override;
    bool writeOutput(std::span<const std::uint8_t> report) override;
    void cancel() override;
    std::string lastError() const override;

private:
    // Keeps hid_error()'s text of a failed call; returns ok.
    bool noteFailure(bool ok);

    hid_device_* device_;
    HidReportDescriptor::Lengths lengths_;
    std::shared_ptr<ProcessLock> lock_;
    std::atomic<unsigned> cancelCount_{0};
    mutable std::mutex errorMutex_;
    std::string lastError_;
};

} // namespace halden
