#pragma once

#include "adapter/hid/HidHandle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace halden {

// One HID device interface as the system names it.
struct HidDeviceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // "\\?\HID#Vid_2e7b&Pid_0325#...", the form the device-path prefix rules compare.
    std::string path;
    // The device's serial number string; empty when it has none.
    std::string serialNumber;
};

// Where HID devices come from: real USB devices, or the emulated adapter.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // The present devices of the vendor.
    virtual std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) = 0;
    // Opens the first present device with these IDs for this process alone; null when
    // there is none or it cannot be opened, with *inUse (when given) set when the device
    // is there but another process has it open.
    virtual std::unique_ptr<HidHandle> open(std::uint16_t vendorId, std::uint16_t productId,
                                            bool* inUse) = 0;
    std::unique_ptr<HidHandle> open(std::uint16_t vendorId, std::uint16_t productId) {
        return open(vendorId, productId, nullptr);
    }
    // Opens the present device whose path (as enumerate gives it; case does not matter)
    // is path, for this process alone; null and *inUse as open.
    virtual std::unique_ptr<HidHandle> openPath(const std::string& path, bool* inUse) = 0;
};

} // namespace halden
