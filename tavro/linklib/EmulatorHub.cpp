#include "EmulatorHub.h"

#include "TavroEmulator.h"

#include <algorithm>
#include <utility>

namespace halden {

EmulatorHub::~EmulatorHub() {
    if (emulator_) {
        emulator_->unsubscribe(*this);
    }
}

std::shared_ptr<TavroEmulator> EmulatorHub::emulatorFor(const std::string& settings,
                                                        std::uint16_t libraryFirmware,
                                                        std::string* error) {
    std::shared_ptr<TavroEmulator> previous;
    std::shared_ptr<TavroEmulator> created;
    {
        const std::lock_guard lock(mutex_);
        if (emulator_ && settings == settings_) {
            return emulator_;
        }
        created = TavroEmulator::create(settings, libraryFirmware, error);
        if (!created) {
            return nullptr;
        }
        previous = std::exchange(emulator_, created);
        settings_ = settings;
    }
    if (previous) {
        previous->unsubscribe(*this);
        if (previous->productId() != 0) {
            removed(previous->devicePath());
        }
    }
    created->subscribe(*this);
    if (previous) {
        arrived(created->devicePath());
    }
    return created;
}

void EmulatorHub::subscribe(HidDeviceListener& listener) {
    const std::lock_guard lock(mutex_);
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end()) {
        listeners_.push_back(&listener);
    }
}

void EmulatorHub::unsubscribe(HidDeviceListener& listener) {
    const std::lock_guard lock(mutex_);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener),
                     listeners_.end());
}

EmulatorStatistics EmulatorHub::statistics() const {
    const std::lock_guard lock(mutex_);
    return emulator_ ? emulator_->statistics() : EmulatorStatistics{};
}

void EmulatorHub::resetStatistics() {
    const std::lock_guard lock(mutex_);
    if (emulator_) {
        emulator_->resetStatistics();
    }
}

std::vector<HidDeviceListener*> EmulatorHub::listeners() const {
    const std::lock_guard lock(mutex_);
    return listeners_;
}

void EmulatorHub::arrived(const std::string& path) {
    for (auto* listener : listeners()) {
        listener->arrived(path);
    }
}

void EmulatorHub::removed(const std::string& path) {
    for (auto* listener : listeners()) {
        listener->removed(path);
    }
}

} // namespace halden
