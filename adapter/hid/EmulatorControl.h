#pragma once

#include "adapter/hid/HidDeviceWatch.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace halden {

// Counts of what went over the emulated bus since the adapter was plugged in or the
// counts were reset.
struct EmulatorStatistics {
    std::size_t featureReportsSent = 0; // accepted sendFeature calls
    std::size_t featureReportsRefused = 0;
    std::size_t featureReportsRead = 0; // accepted getFeature calls
    std::size_t outputReports = 0;      // accepted writeOutput calls
    std::size_t inputReports = 0;       // replies the host took
    std::size_t cancels = 0;            // cancel calls on the adapter's handles
    std::size_t cancelledReads = 0;     // reads that a cancel ended
    // The full-speed USB model's time for all of the above (see UsbTiming).
    std::chrono::nanoseconds transportTime{};
    // The command codes the adapter took, oldest first (the latest kCommandHistory).
    static constexpr std::size_t kCommandHistory = 256;
    std::vector<std::uint8_t> commands;
    // Whether the target is open (between CMD_OPEN_TARGET and CMD_CLOSE_TARGET).
    bool targetOpen = false;
};

// What a program may ask of an emulated adapter besides its reports: arrivals and
// removals for its device watcher, and the bus counts. The link library stand-in hands it
// out through its export kEmulatorControlExport while TAVRO_EMULATOR is set; a library
// without the export, or returning null, has only real adapters.
constexpr const char* kEmulatorControlExport = "TavroEmulatorControl";

class EmulatorControl : public HidDeviceWatch {
public:
    virtual EmulatorStatistics statistics() const = 0;
    virtual void resetStatistics() = 0;
};

} // namespace halden
