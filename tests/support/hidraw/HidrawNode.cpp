#include "tests/support/hidraw/HidrawNode.h"

#include "adapter/wire/TavroFrames.h"
#include "adapter/wire/TavroProduct.h"
#include "tavro/emulator/TavroEmulator.h"
#include "tavro/emulator/TavroReportDescriptor.h"
#include "tests/support/hidraw/HidrawPendingInput.h"

#include <umockdev.h>

#include <linux/input.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

namespace halden::test {

namespace {

// The kernel's limits on what one hidraw call carries (HID_MAX_BUFFER_SIZE,
// HID_MAX_DESCRIPTOR_SIZE).
constexpr std::size_t kMaxBuffer = 16384;
constexpr std::size_t kMaxDescriptor = 4096;
constexpr unsigned kHidrawMajor = 240;

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char digits[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

std::string hex4(unsigned value, bool upper) {
    char text[8];
    std::snprintf(text, sizeof text, upper ? "%04X" : "%04x", value & 0xFFFF);
    return text;
}

// Copies value into the ioctl argument the client passed and completes the call.
// One device of a umockdev record: its path under /sys, then its lines, each a kind
// (E property, A attribute, H binary attribute in hex, N device node) and its text.
std::string device(const std::string& sysPath,
                   std::initializer_list<std::pair<char, std::string>> lines) {
    std::string text = "P: " + sysPath.substr(std::string_view("/sys").size()) + "\n";
    for (const auto& [kind, line] : lines) {
        text += std::string(1, kind) + ": " + line + "\n";
    }
    return text + "\n";
}

template <typename T> void answer(UMockdevIoctlClient* client, const T& value, glong result = 0) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(T), nullptr);
    if (data == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    std::memcpy(data->data, &value, sizeof(T));
    umockdev_ioctl_client_complete(client, result, 0);
}

void answerString(UMockdevIoctlClient* client, const std::string& text, std::size_t room) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, room, nullptr);
    if (data == nullptr || room == 0) {
        umockdev_ioctl_client_complete(client, -1, data == nullptr ? EFAULT : EINVAL);
        return;
    }
    // As the kernel: the text with its NUL, cut to the buffer, and its length returned.
    const std::size_t length = std::min(text.size() + 1, room);
    std::memcpy(data->data, text.c_str(), length);
    umockdev_ioctl_client_complete(client, static_cast<glong>(length), 0);
}

} // namespace

HidrawNode::HidrawNode(std::shared_ptr<TavroEmulator> adapter, std::uint16_t productId,
                       const Place& place)
    : adapter_(std::move(adapter)), productId_(productId), place_(place),
      descriptor_(TavroReportDescriptor::forProduct(productId)),
      inputLength_(TavroFrames::kInputLength) {}

HidrawNode::~HidrawNode() {
    std::map<UMockdevIoctlClient*, std::unique_ptr<HidrawClient>> clients;
    {
        const std::lock_guard lock(mutex_);
        clients.swap(clients_);
    }
    clients.clear();
    if (handler_ != nullptr) {
        g_signal_handlers_disconnect_by_data(handler_, this);
        g_object_unref(handler_);
    }
}

bool HidrawNode::gone() const {
    return !present() || adapter_->productId() != productId_;
}

bool HidrawNode::present() const {
    const std::lock_guard lock(mutex_);
    return present_;
}

std::string HidrawNode::usbPath() const {
    return "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(place_.port);
}
std::string HidrawNode::interfacePath() const {
    return usbPath() + "/1-" + std::to_string(place_.port) + ":1.0";
}
std::string HidrawNode::hidPath() const {
    return interfacePath() + "/0003:" + hex4(kTavroVendorId, true) + ":" + hex4(productId_, true) +
           "." + hex4(place_.sequence, true);
}
std::string HidrawNode::hidrawPath() const {
    return hidPath() + "/hidraw/hidraw" + std::to_string(place_.minor);
}
std::string HidrawNode::hidName() const {
    return productId_ == PRODUCT_BOOT_LOADER ? "Corvane Tavro Boot Loader" : "Corvane Tavro";
}
std::string HidrawNode::hidPhys() const {
    return "usb-0000:00:14.0-" + std::to_string(place_.port) + "/input0";
}
std::string HidrawNode::hidUniq() const {
    return adapter_->serialNumber();
}

std::string HidrawNode::record() const {
    const std::string port = std::to_string(place_.port);
    const std::string minor = std::to_string(place_.minor);
    const std::string vendor = hex4(kTavroVendorId, false);
    const std::string product = hex4(productId_, false);
    const std::string upperIds = hex4(kTavroVendorId, true) + ":0000" + hex4(productId_, true);
    return device(usbPath(), {{'E', "SUBSYSTEM=usb"},
                              {'E', "DEVTYPE=usb_device"},
                              {'E', "PRODUCT=" + vendor + "/" + product + "/100"},
                              {'A', "idVendor=" + vendor},
                              {'A', "idProduct=" + product},
                              {'A', "bcdDevice=0100"},
                              {'A', "manufacturer=Corvane"},
                              {'A', "product=" + hidName().substr(sizeof "Corvane")},
                              {'A', "serial=" + hidUniq()},
                              {'A', "busnum=1"},
                              {'A', "devnum=" + port},
                              {'A', "speed=12"}}) +
           device(interfacePath(), {{'E', "SUBSYSTEM=usb"},
                                    {'E', "DEVTYPE=usb_interface"},
                                    {'E', "INTERFACE=3/0/0"},
                                    {'A', "bInterfaceNumber=00"},
                                    {'A', "bInterfaceClass=03"}}) +
           device(hidPath(), {{'E', "SUBSYSTEM=hid"},
                              {'E', "DRIVER=hid-generic"},
                              {'E', "HID_ID=0003:0000" + upperIds},
                              {'E', "HID_NAME=" + hidName()},
                              {'E', "HID_PHYS=" + hidPhys()},
                              {'E', "HID_UNIQ=" + hidUniq()},
                              {'E', "MODALIAS=hid:b0003g0001v0000" + hex4(kTavroVendorId, true) +
                                        "p0000" + hex4(productId_, true)},
                              {'H', "report_descriptor=" + hex(descriptor_)}}) +
           device(hidrawPath(), {{'N', "hidraw" + minor},
                                 {'E', "SUBSYSTEM=hidraw"},
                                 {'E', "DEVNAME=/dev/hidraw" + minor},
                                 {'E', "MAJOR=" + std::to_string(kHidrawMajor)},
                                 {'E', "MINOR=" + minor}});
}

bool HidrawNode::plug(UMockdevTestbed* testbed, std::string& error) {
    // umockdev sends each device's add uevent as it adds the device.
    GError* failure = nullptr;
    if (!umockdev_testbed_add_from_string(testbed, record().c_str(), &failure)) {
        error = failure->message;
        g_error_free(failure);
        return false;
    }
    // The kernel links a class device to the device it belongs to; sysfs readers go from
    // /sys/class/hidraw/hidrawN/device to the HID device's report descriptor.
    umockdev_testbed_set_attribute_link(testbed, hidrawPath().c_str(), "device", "../..");
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(handler_, "handle-read", G_CALLBACK(onRead), this);
    g_signal_connect(handler_, "handle-write", G_CALLBACK(onWrite), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(onVanished), this);
    if (!umockdev_testbed_attach_ioctl(testbed, devNode().c_str(), handler_, &failure)) {
        error = failure->message;
        g_error_free(failure);
        return false;
    }
    {
        const std::lock_guard lock(mutex_);
        present_ = true;
    }
    return true;
}

void HidrawNode::unplug(UMockdevTestbed* testbed) {
    {
        const std::lock_guard lock(mutex_);
        if (!present_) {
            return;
        }
        present_ = false;
        for (auto& [client, file] : clients_) {
            file->markGone();
        }
    }
    // Children first, as the kernel tears a device down; umockdev takes each one's bus
    // link away only with the device itself.
    for (const std::string& path : {hidrawPath(), hidPath(), interfacePath(), usbPath()}) {
        umockdev_testbed_uevent(testbed, path.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, path.c_str());
    }
}

HidrawClient* HidrawNode::clientOf(UMockdevIoctlClient* client) {
    const std::lock_guard lock(mutex_);
    if (!present_) {
        return nullptr;
    }
    auto& file = clients_[client];
    if (!file) {
        auto handle = adapter_->open(kTavroVendorId, productId_, nullptr);
        if (!handle) {
            clients_.erase(client);
            return nullptr;
        }
        file = std::make_unique<HidrawClient>(std::move(handle), inputLength_);
    }
    return file.get();
}

gboolean HidrawNode::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<HidrawNode*>(self)->ioctl(client);
    return TRUE;
}

gboolean HidrawNode::onRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    HidrawClient* file = static_cast<HidrawNode*>(self)->clientOf(client);
    if (file == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EIO);
    } else {
        file->read(client);
    }
    return TRUE;
}

gboolean HidrawNode::onWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<HidrawNode*>(self)->write(client);
    return TRUE;
}

void HidrawNode::onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    auto* node = static_cast<HidrawNode*>(self);
    std::unique_ptr<HidrawClient> closed; // its thread is joined outside the node's lock
    {
        const std::lock_guard lock(node->mutex_);
        const auto it = node->clients_.find(client);
        if (it != node->clients_.end()) {
            closed = std::move(it->second);
            node->clients_.erase(it);
        }
    }
}

bool HidrawNode::answerInfo(UMockdevIoctlClient* client, unsigned long request) {
    if (request == HIDIOCGRDESCSIZE) {
        answer(client, static_cast<int>(descriptor_.size()));
        return true;
    }
    if (request == HIDIOCGRDESC) {
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        UMockdevIoctlData* data =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_report_descriptor), nullptr);
        if (data == nullptr) {
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return true;
        }
        auto* wanted = reinterpret_cast<hidraw_report_descriptor*>(data->data);
        if (wanted->size > kMaxDescriptor - 1) {
            umockdev_ioctl_client_complete(client, -1, EINVAL);
            return true;
        }
        std::memcpy(wanted->value, descriptor_.data(),
                    std::min<std::size_t>(wanted->size, descriptor_.size()));
        umockdev_ioctl_client_complete(client, 0, 0);
        return true;
    }
    if (request == HIDIOCGRAWINFO) {
        hidraw_devinfo info{BUS_USB, static_cast<__s16>(kTavroVendorId),
                            static_cast<__s16>(productId_)};
        answer(client, info);
        return true;
    }
    const unsigned long sized =
        request & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT);
    const std::size_t room = _IOC_SIZE(request);
    if (sized == HIDIOCGRAWNAME(0)) {
        answerString(client, hidName(), room);
        return true;
    }
    if (sized == HIDIOCGRAWPHYS(0)) {
        answerString(client, "usb-0000:00:14.0-" + std::to_string(place_.port) + "/input0", room);
        return true;
    }
    if (sized == HIDIOCGRAWUNIQ(0)) {
        answerString(client, hidUniq(), room);
        return true;
    }
    return false;
}

void HidrawNode::ioctl(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (gone()) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    if (request == kHidrawPendingInput) {
        HidrawClient* file = clientOf(client);
        const int pending = file != nullptr ? file->pendingInput() : -1;
        if (pending < 0) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
        } else {
            answer(client, pending);
        }
        return;
    }
    if (answerInfo(client, request)) {
        return;
    }
    const unsigned long sized =
        request & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT);
    if (sized == HIDIOCSFEATURE(0) || sized == HIDIOCGFEATURE(0)) {
        featureReport(client, request, sized == HIDIOCSFEATURE(0));
        return;
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

void HidrawNode::featureReport(UMockdevIoctlClient* client, unsigned long request, bool send) {
    const std::size_t length = _IOC_SIZE(request);
    if (length < 2 || length > kMaxBuffer) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, length, nullptr);
    HidrawClient* file = clientOf(client);
    if (data == nullptr || file == nullptr) {
        umockdev_ioctl_client_complete(client, -1, data == nullptr ? EFAULT : ENODEV);
        return;
    }
    const std::span<std::uint8_t> report(data->data, length);
    const bool accepted =
        send ? file->handle().sendFeature(report) : file->handle().getFeature(report);
    if (!accepted) {
        // A device that stalls the control transfer; one that left meanwhile is gone.
        umockdev_ioctl_client_complete(client, -1, gone() ? ENODEV : EPIPE);
        return;
    }
    const std::size_t returned =
        send ? length : std::min(length, file->handle().featureReportLength());
    umockdev_ioctl_client_complete(client, static_cast<glong>(returned), 0);
}

void HidrawNode::write(UMockdevIoctlClient* client) {
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    const std::size_t length = static_cast<std::size_t>(std::max(buffer->data_len, 0));
    HidrawClient* file = clientOf(client);
    if (file == nullptr) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    if (length < 2 || length > kMaxBuffer) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    if (!file->handle().writeOutput(std::span<const std::uint8_t>(buffer->data, length))) {
        umockdev_ioctl_client_complete(client, -1, gone() ? ENODEV : EPIPE);
        return;
    }
    umockdev_ioctl_client_complete(client, static_cast<glong>(length), 0);
}

} // namespace halden::test
