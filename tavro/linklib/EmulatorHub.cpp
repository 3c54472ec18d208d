#include "tavro/linklib/EmulatorHub.h"

#include "adapter/hid/HidDevicePath.h"
#include "tavro/emulator/BuiltInParts.h"
#include "tavro/emulator/EmulatedBus.h"
#include "tavro/emulator/TavroEmulator.h"

#include <algorithm>
#include <utility>

namespace halden {

EmulatorHub::~EmulatorHub() {
    if (bus_) {
        for (const auto& adapter : bus_->adapters()) {
            adapter->unsubscribe(*this);
        }
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (notifier_.joinable()) {
        notifier_.join();
    }
}

std::shared_ptr<EmulatedBus> EmulatorHub::emulatorFor(const std::string& settings,
                                                      std::uint16_t libraryFirmware,
                                                      std::string* error) {
    std::shared_ptr<EmulatedBus> previous;
    std::shared_ptr<EmulatedBus> created;
    {
        const std::lock_guard lock(mutex_);
        if (bus_ && settings == settings_) {
            return bus_;
        }
        const auto parsed = EmulatorSettings::parse(settings, error);
        created = parsed
                      ? EmulatedBus::create(*parsed, libraryFirmware, BuiltInParts::table(), error)
                      : nullptr;
        if (!created) {
            return nullptr;
        }
        previous = std::exchange(bus_, created);
        settings_ = settings;
        counted_ = 0;
    }
    if (previous) {
        for (const auto& adapter : previous->adapters()) {
            adapter->unsubscribe(*this);
            if (adapter->productId() != 0) {
                removed(adapter->devicePath());
            }
        }
    }
    for (const auto& adapter : created->adapters()) {
        adapter->subscribe(*this);
        if (previous) {
            arrived(adapter->devicePath());
        }
    }
    return created;
}

void EmulatorHub::noteOpened(const std::string& path) {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; bus_ && i < bus_->adapters().size(); ++i) {
        if (HidDevicePath::samePath(bus_->adapters()[i]->devicePath(), path)) {
            counted_ = i;
        }
    }
}

void EmulatorHub::subscribe(HidDeviceListener& listener) {
    const std::lock_guard lock(mutex_);
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end()) {
        listeners_.push_back(&listener);
    }
    if (!notifier_.joinable()) {
        notifier_ = std::thread([this] { deliverEvents(); });
    }
}

void EmulatorHub::unsubscribe(HidDeviceListener& listener) {
    std::thread::id notifier;
    {
        const std::lock_guard lock(mutex_);
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener),
                         listeners_.end());
        notifier = notifier_.get_id();
    }
    // A listener may unsubscribe itself from its own call.
    if (std::this_thread::get_id() != notifier) {
        const std::lock_guard waitForCall(delivering_);
    }
}

EmulatorStatistics EmulatorHub::statistics() const {
    const std::lock_guard lock(mutex_);
    return bus_ ? bus_->adapters()[counted_]->statistics() : EmulatorStatistics{};
}

void EmulatorHub::resetStatistics() {
    const std::lock_guard lock(mutex_);
    if (bus_) {
        bus_->adapters()[counted_]->resetStatistics();
    }
}

void EmulatorHub::arrived(const std::string& path) {
    post({true, path});
}

void EmulatorHub::removed(const std::string& path) {
    post({false, path});
}

void EmulatorHub::post(Event event) {
    {
        const std::lock_guard lock(mutex_);
        if (listeners_.empty()) {
            return;
        }
        pending_.push_back(std::move(event));
    }
    wake_.notify_all();
}

void EmulatorHub::deliverEvents() {
    for (;;) {
        Event event;
        std::vector<HidDeviceListener*> listeners;
        std::unique_lock<std::mutex> calling;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_) {
                return;
            }
            event = std::move(pending_.front());
            pending_.pop_front();
            listeners = listeners_;
            // Taken before the list is let go, so an unsubscribe that follows waits.
            calling = std::unique_lock(delivering_);
        }
        for (auto* listener : listeners) {
            if (event.arrived) {
                listener->arrived(event.path);
            } else {
                listener->removed(event.path);
            }
        }
    }
}

} // namespace halden
