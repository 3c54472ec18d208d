#pragma once

#include "adapter/hid/HidDeviceWatch.h"

#include <QMetaObject>

#include <string>

namespace halden {

// Hands device arrivals and removals, which come on the watcher's thread, to a window's
// OnDeviceArrival and OnDeviceRemoval on the window's thread.
template <typename Window> class WindowDeviceListener : public HidDeviceListener {
public:
    explicit WindowDeviceListener(Window& window) : window_(window) {}
    void arrived(const std::string& path) override {
        QMetaObject::invokeMethod(
            &window_, [this, path] { window_.OnDeviceArrival(path); }, Qt::QueuedConnection);
    }
    void removed(const std::string& path) override {
        QMetaObject::invokeMethod(
            &window_, [this, path] { window_.OnDeviceRemoval(path); }, Qt::QueuedConnection);
    }

private:
    Window& window_;
};

} // namespace halden
