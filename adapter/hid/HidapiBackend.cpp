#include "adapter/hid/HidapiBackend.h"

#include "adapter/hid/HidDevicePath.h"
#include "adapter/hid/HidapiHandle.h"
#include "common/ProcessLock.h"

#include <hidapi/hidapi.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace halden {

namespace {

// The kernel caps report descriptors at 4096 bytes (HID_MAX_DESCRIPTOR_SIZE).
constexpr std::size_t kMaxDescriptorSize = 4096;

std::string narrow(const wchar_t* text) {
    std::string result;
    for (; text != nullptr && *text != 0; ++text) {
        result.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    }
    return result;
}

} // namespace

HidapiBackend::HidapiBackend() : initialised_(hid_init() == 0) {}

HidapiBackend::~HidapiBackend() {
    if (initialised_) {
        hid_exit();
    }
}

std::string HidapiBackend::instanceOf(const std::string& devicePath) {
    const auto slash = devicePath.find_last_of('/');
    return slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
}

std::optional<HidReportDescriptor::Lengths>
HidapiBackend::lengthsOf(const std::string& devicePath) {
    const std::string node = instanceOf(devicePath);
    if (node.rfind("hidraw", 0) != 0) {
        return std::nullopt;
    }
    std::ifstream file("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kMaxDescriptorSize);
    char c;
    while (bytes.size() <= kMaxDescriptorSize && file.get(c)) {
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
    if (bytes.size() > kMaxDescriptorSize) {
        return std::nullopt;
    }
    return HidReportDescriptor::reportLengths(bytes);
}

std::vector<HidDeviceInfo> HidapiBackend::enumerate(std::uint16_t vendorId) {
    std::vector<HidDeviceInfo> devices;
    if (!initialised_) {
        return devices;
    }
    hid_device_info* list = hid_enumerate(vendorId, 0);
    for (const hid_device_info* it = list; it != nullptr; it = it->next) {
        const std::string native = it->path ? it->path : "";
        devices.push_back({it->vendor_id, it->product_id,
                           HidDevicePath::format(it->vendor_id, it->product_id, instanceOf(native)),
                           narrow(it->serial_number)});
    }
    hid_free_enumeration(list);
    return devices;
}

std::unique_ptr<HidHandle> HidapiBackend::open(std::uint16_t vendorId, std::uint16_t productId,
                                               bool* inUse) {
    if (!initialised_) {
        return nullptr;
    }
    hid_device_info* list = hid_enumerate(vendorId, productId);
    std::unique_ptr<HidHandle> handle;
    for (const hid_device_info* it = list; it != nullptr && !handle; it = it->next) {
        handle = openNode(it->path, inUse);
    }
    hid_free_enumeration(list);
    return handle;
}

std::unique_ptr<HidHandle> HidapiBackend::openPath(const std::string& path, bool* inUse) {
    if (!initialised_) {
        return nullptr;
    }
    hid_device_info* list = hid_enumerate(0, 0);
    std::unique_ptr<HidHandle> handle;
    for (const hid_device_info* it = list; it != nullptr && !handle; it = it->next) {
        const std::string native = it->path ? it->path : "";
        const std::string system =
            HidDevicePath::format(it->vendor_id, it->product_id, instanceOf(native));
        if (!native.empty() && (HidDevicePath::samePath(system, path) || native == path)) {
            handle = openNode(it->path, inUse);
        }
    }
    hid_free_enumeration(list);
    return handle;
}

std::unique_ptr<HidHandle> HidapiBackend::openNode(const char* node, bool* inUse) {
    const auto lengths = node ? lengthsOf(node) : std::nullopt;
    if (!lengths) {
        return nullptr;
    }
    // The hidraw node is locked for this process before hidapi opens it.
    auto outcome = ProcessLock::Outcome::Failed;
    auto lock = ProcessLock::acquire(node, false, outcome);
    if (outcome == ProcessLock::Outcome::InUse) {
        if (inUse != nullptr) {
            *inUse = true;
        }
        return nullptr;
    }
    hid_device* device = hid_open_path(node);
    if (device == nullptr) {
        return nullptr;
    }
    return std::make_unique<HidapiHandle>(device, *lengths, std::move(lock));
}

} // namespace halden
