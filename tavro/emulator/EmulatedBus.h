#pragma once

#include "adapter/hid/HidBackend.h"
#include "tavro/emulator/EmulatedPartTable.h"
#include "tavro/emulator/EmulatorSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace halden {

class TavroEmulator;

// The emulated USB bus: one adapter, or the N of adapters=N, each a TavroEmulator with
// its own path, state folder, lock and full-speed timing. Devices are listed adapter by
// adapter; an open without a path takes the first free one, as on a real bus.
class EmulatedBus : public HidBackend {
public:
    // Nothing, with error set, when an adapter cannot be made (an unknown target).
    static std::shared_ptr<EmulatedBus> create(const EmulatorSettings& settings,
                                               std::uint16_t libraryFirmware,
                                               const EmulatedPartTable& parts, std::string* error);

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) override;
    using HidBackend::open;
    std::unique_ptr<HidHandle> open(std::uint16_t vendorId, std::uint16_t productId,
                                    bool* inUse) override;
    std::unique_ptr<HidHandle> openPath(const std::string& path, bool* inUse) override;

    const std::vector<std::shared_ptr<TavroEmulator>>& adapters() const { return adapters_; }

private:
    explicit EmulatedBus(std::vector<std::shared_ptr<TavroEmulator>> adapters)
        : adapters_(std::move(adapters)) {}

    std::vector<std::shared_ptr<TavroEmulator>> adapters_;
};

} // namespace halden
