#pragma once

#include "adapter/hid/HidBackend.h"
#include "adapter/hid/HidReportDescriptor.h"

#include <optional>
#include <string>

namespace halden {

// Real adapters on USB through hidapi's hidraw backend. The report lengths come from
// the device's report descriptor, which the kernel shows in sysfs.
class HidapiBackend : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) override;
    using HidBackend::open;
    std::unique_ptr<HidHandle> open(std::uint16_t vendorId, std::uint16_t productId,
                                    bool* inUse) override;
    // The system path, or the hidraw node's own ("/dev/hidraw3").
    std::unique_ptr<HidHandle> openPath(const std::string& path, bool* inUse) override;

    // "/dev/hidraw3" -> the lengths in /sys/class/hidraw/hidraw3/device/report_descriptor.
    static std::optional<HidReportDescriptor::Lengths> lengthsOf(const std::string& devicePath);
    // The instance part of the system path: the hidraw node's name.
    static std::string instanceOf(const std::string& devicePath);

private:
    std::unique_ptr<HidHandle> openNode(const char* node, bool* inUse);

    bool initialised_ = false;
};

} // namespace halden
