#include "tavro/emulator/EmulatedBus.h"

#include "tavro/emulator/TavroEmulator.h"

namespace halden {

std::shared_ptr<EmulatedBus> EmulatedBus::create(const EmulatorSettings& settings,
                                                 std::uint16_t libraryFirmware,
                                                 const EmulatedPartTable& parts,
                                                 std::string* error) {
    std::vector<std::shared_ptr<TavroEmulator>> adapters;
    const unsigned count = settings.adapters == 0 ? 1 : settings.adapters;
    for (unsigned k = 1; k <= count; ++k) {
        auto adapter = TavroEmulator::create(settings.forAdapter(settings.adapters == 0 ? 0 : k),
                                             libraryFirmware, parts, error);
        if (!adapter) {
            return nullptr;
        }
        adapters.push_back(std::move(adapter));
    }
    return std::shared_ptr<EmulatedBus>(new EmulatedBus(std::move(adapters)));
}

std::vector<HidDeviceInfo> EmulatedBus::enumerate(std::uint16_t vendorId) {
    std::vector<HidDeviceInfo> devices;
    for (const auto& adapter : adapters_) {
        for (auto& device : adapter->enumerate(vendorId)) {
            devices.push_back(std::move(device));
        }
    }
    return devices;
}

std::unique_ptr<HidHandle> EmulatedBus::open(std::uint16_t vendorId, std::uint16_t productId,
                                             bool* inUse) {
    for (const auto& adapter : adapters_) {
        if (auto handle = adapter->open(vendorId, productId, inUse)) {
            return handle;
        }
    }
    return nullptr;
}

std::unique_ptr<HidHandle> EmulatedBus::openPath(const std::string& path, bool* inUse) {
    for (const auto& adapter : adapters_) {
        if (auto handle = adapter->openPath(path, inUse)) {
            return handle;
        }
    }
    return nullptr;
}

} // namespace halden
