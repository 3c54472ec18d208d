#pragma once

#include <string>

namespace halden {

// Told when a HID device interface arrives or leaves; paths in the form of
// HidDeviceInfo::path. Called on whichever thread noticed the change, never with a
// lock of the source held, so a listener may call back into the source.
class HidDeviceListener {
public:
    virtual ~HidDeviceListener() = default;
    virtual void arrived(const std::string& path) = 0;
    virtual void removed(const std::string& path) = 0;
};

// A source of arrivals and removals: a udev monitor for real devices, the emulator
// for emulated ones. A listener stays subscribed until it unsubscribes.
class HidDeviceWatch {
public:
    virtual ~HidDeviceWatch() = default;
    virtual void subscribe(HidDeviceListener& listener) = 0;
    virtual void unsubscribe(HidDeviceListener& listener) = 0;
};

} // namespace halden
