#pragma once

#include "adapter/hid/HidDeviceWatch.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct udev_device;

namespace halden {

// Arrivals and removals of real HID devices: a udev monitor on the hidraw subsystem, read
// on a thread of its own. Each device gets a path in the device-interface form, built from
// its parent HID device's vendor and product IDs.
class UdevHidWatch : public HidDeviceWatch {
public:
    UdevHidWatch();
    ~UdevHidWatch() override;
    UdevHidWatch(const UdevHidWatch&) = delete;
    UdevHidWatch& operator=(const UdevHidWatch&) = delete;

    // False when udev could not be reached; the watch then reports nothing.
    bool running() const { return thread_.joinable(); }

    void subscribe(HidDeviceListener& listener) override;
    void unsubscribe(HidDeviceListener& listener) override;

    // The vendor and product of a HID_ID property ("0003:00002E7B:00000325").
    static std::optional<std::pair<std::uint16_t, std::uint16_t>> parseHidId(std::string_view id);

private:
    void run();
    void notify(bool arrived, const std::string& path);
    // The device path of a hidraw node from its HID parent's HID_ID; nothing when the
    // parent cannot be read (by a removal, sysfs may be gone already).
    static std::optional<std::string> pathOf(udev_device* hidraw);
    void rememberPresent();

    struct Udev;
    std::unique_ptr<Udev> udev_;
    int stopPipe_[2] = {-1, -1};
    std::mutex mutex_;
    std::vector<HidDeviceListener*> listeners_;
    // Node name -> device path of the nodes present or seen arriving, so that a removal
    // is told by its path after sysfs has let the node go. Used by the monitor's thread
    // only (and by the constructor before it starts).
    std::map<std::string, std::string> known_;
    std::thread thread_;
};

} // namespace halden
