#pragma once

#include "adapter/hid/HidHandle.h"
#include "adapter/wire/TavroFrames.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace halden {

class ProcessLock;
class TavroEmulator;

// An open handle on the emulated adapter. It works until the adapter leaves the bus or
// re-enumerates under another product ID; after that every call fails as on a device
// that is gone. Its input queue and cancel count are guarded by the emulator's lock.
class EmulatedHandle : public HidHandle {
public:
    struct Lengths {
        std::size_t feature = 0;
        std::size_t input = 0;
        std::size_t output = 0;
    };

    EmulatedHandle(std::shared_ptr<TavroEmulator> emulator, std::uint32_t generation,
                   const Lengths& lengths);
    ~EmulatedHandle() override;
    EmulatedHandle(const EmulatedHandle&) = delete;
    EmulatedHandle& operator=(const EmulatedHandle&) = delete;

    std::size_t featureReportLength() const override { return lengths_.feature; }
    std::size_t inputReportLength() const override { return lengths_.input; }
    std::size_t outputReportLength() const override { return lengths_.output; }

    bool sendFeature(std::span<const std::uint8_t> report) override;
    bool getFeature(std::span<std::uint8_t> report) override;
    int readInput(std::span<std::uint8_t> buffer, int timeoutMs) override;
    bool writeOutput(std::span<const std::uint8_t> report) override;
    void cancel() override;
    std::string lastError() const override;
    // The adapter behind it reports a failure when it is closed (the closefail fault).
    bool failsClose() const;

private:
    friend class TavroEmulator;

    // As many input reports as the platform's HID ring buffer holds by default.
    static constexpr std::size_t kQueueLimit = 32;

    struct Pending {
        std::array<std::uint8_t, TavroFrames::kReplySize> bytes{};
        std::chrono::steady_clock::time_point availableAt;
        std::uint8_t reportId = 0; // another than 0 under the badreport fault
    };

    std::shared_ptr<TavroEmulator> emulator_;
    std::uint32_t generation_;
    Lengths lengths_;
    std::deque<Pending> queue_;
    unsigned cancelCount_ = 0;
    std::string lastError_;
    std::shared_ptr<ProcessLock> lock_;
};

} // namespace halden
