#include "adapter/hid/UdevHidWatch.h"

#include "adapter/hid/HidDevicePath.h"

#include <algorithm>
#include <charconv>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

namespace halden {

struct UdevHidWatch::Udev {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    ~Udev() {
        if (monitor != nullptr) {
            udev_monitor_unref(monitor);
        }
        if (context != nullptr) {
            udev_unref(context);
        }
    }
};

UdevHidWatch::UdevHidWatch() : udev_(std::make_unique<Udev>()) {
    udev_->context = udev_new();
    if (udev_->context == nullptr) {
        return;
    }
    udev_->monitor = udev_monitor_new_from_netlink(udev_->context, "udev");
    if (udev_->monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(udev_->monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(udev_->monitor) < 0 || pipe(stopPipe_) != 0) {
        return;
    }
    rememberPresent();
    thread_ = std::thread([this] { run(); });
}

UdevHidWatch::~UdevHidWatch() {
    if (thread_.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const auto written = write(stopPipe_[1], &stop, 1);
        thread_.join();
    }
    for (const int fd : stopPipe_) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

std::optional<std::pair<std::uint16_t, std::uint16_t>>
UdevHidWatch::parseHidId(std::string_view id) {
    // bus:vendor:product, each in hexadecimal.
    const auto first = id.find(':');
    const auto second = first == std::string_view::npos ? first : id.find(':', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    auto number = [](std::string_view text) -> std::optional<std::uint16_t> {
        std::uint32_t value = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
            value > 0xFFFF) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(value);
    };
    const auto vendor = number(id.substr(first + 1, second - first - 1));
    const auto product = number(id.substr(second + 1));
    if (!vendor || !product) {
        return std::nullopt;
    }
    return std::make_pair(*vendor, *product);
}

void UdevHidWatch::run() {
    pollfd fds[2] = {{udev_monitor_get_fd(udev_->monitor), POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
            return;
        }
        udev_device* device = udev_monitor_receive_device(udev_->monitor);
        if (device == nullptr) {
            continue;
        }
        const char* action = udev_device_get_action(device);
        const char* node = udev_device_get_sysname(device);
        if (action != nullptr && node != nullptr) {
            auto path = pathOf(device);
            if (std::string_view(action) == "add" && path) {
                known_[node] = *path;
                notify(true, *path);
            } else if (std::string_view(action) == "remove") {
                if (const auto seen = known_.find(node); seen != known_.end()) {
                    path = path.value_or(seen->second);
                    known_.erase(seen);
                }
                if (path) {
                    notify(false, *path);
                }
            }
        }
        udev_device_unref(device);
    }
}

std::optional<std::string> UdevHidWatch::pathOf(udev_device* hidraw) {
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    const char* hidId = hid != nullptr ? udev_device_get_property_value(hid, "HID_ID") : nullptr;
    const char* node = udev_device_get_sysname(hidraw);
    const auto ids = hidId != nullptr ? parseHidId(hidId) : std::nullopt;
    if (!ids || node == nullptr) {
        return std::nullopt;
    }
    return HidDevicePath::format(ids->first, ids->second, node);
}

void UdevHidWatch::rememberPresent() {
    udev_enumerate* enumerate = udev_enumerate_new(udev_->context);
    if (enumerate == nullptr) {
        return;
    }
    if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") == 0 &&
        udev_enumerate_scan_devices(enumerate) == 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            udev_device* device =
                udev_device_new_from_syspath(udev_->context, udev_list_entry_get_name(entry));
            if (device == nullptr) {
                continue;
            }
            if (const auto path = pathOf(device); path && udev_device_get_sysname(device)) {
                known_[udev_device_get_sysname(device)] = *path;
            }
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(enumerate);
}

void UdevHidWatch::notify(bool arrived, const std::string& path) {
    std::vector<HidDeviceListener*> listeners;
    {
        const std::lock_guard lock(mutex_);
        listeners = listeners_;
    }
    for (HidDeviceListener* listener : listeners) {
        arrived ? listener->arrived(path) : listener->removed(path);
    }
}

void UdevHidWatch::subscribe(HidDeviceListener& listener) {
    const std::lock_guard lock(mutex_);
    listeners_.push_back(&listener);
}

void UdevHidWatch::unsubscribe(HidDeviceListener& listener) {
    const std::lock_guard lock(mutex_);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener),
                     listeners_.end());
}

} // namespace halden
