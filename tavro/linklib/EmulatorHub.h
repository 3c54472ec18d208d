#pragma once

#include "EmulatorControl.h"
#include "HidDeviceWatch.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace halden {

class TavroEmulator;

// The emulated adapter the link library runs while TAVRO_EMULATOR is set. A new text in
// the variable plugs in a new adapter: the old one is removed from the bus and the new
// one arrives, so a device watcher subscribed here sees the change like a re-plug.
class EmulatorHub : public EmulatorControl, private HidDeviceListener {
public:
    EmulatorHub() = default;
    ~EmulatorHub() override;
    EmulatorHub(const EmulatorHub&) = delete;
    EmulatorHub& operator=(const EmulatorHub&) = delete;

    // The adapter for these settings, the running one while the text is the same; null
    // with error set when the text is not valid.
    std::shared_ptr<TavroEmulator> emulatorFor(const std::string& settings,
                                               std::uint16_t libraryFirmware, std::string* error);

    void subscribe(HidDeviceListener& listener) override;
    void unsubscribe(HidDeviceListener& listener) override;
    EmulatorStatistics statistics() const override;
    void resetStatistics() override;

private:
    void arrived(const std::string& path) override;
    void removed(const std::string& path) override;
    std::vector<HidDeviceListener*> listeners() const;

    mutable std::mutex mutex_;
    std::shared_ptr<TavroEmulator> emulator_;
    std::string settings_;
    std::vector<HidDeviceListener*> listeners_;
};

} // namespace halden
