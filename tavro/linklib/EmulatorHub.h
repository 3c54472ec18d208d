#pragma once

#include "adapter/EmulatorControl.h"
#include "adapter/hid/HidDeviceWatch.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace halden {

class TavroEmulator;

// The emulated adapter the link library runs while TAVRO_EMULATOR is set. A new text in
// the variable plugs in a new adapter: the old one is removed from the bus and the new
// one arrives, so a device watcher subscribed here sees the change like a re-plug.
//
// Arrivals and removals reach the listeners on a thread of their own, in order, as the
// platform broadcasts device changes: the change happens inside a library call (the
// upgrade worker's switch or restart) that holds the link, and a listener that opens the
// adapter in turn must not wait for that call. Once unsubscribe returns, the listener is
// not called again.
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
    struct Event {
        bool arrived = false;
        std::string path;
    };

    void arrived(const std::string& path) override;
    void removed(const std::string& path) override;
    void post(Event event);
    void deliverEvents();

    mutable std::mutex mutex_;
    std::shared_ptr<TavroEmulator> emulator_;
    std::string settings_;
    std::vector<HidDeviceListener*> listeners_;
    std::deque<Event> pending_;
    std::condition_variable wake_;
    bool stopping_ = false;
    // Held while listeners are called, so unsubscribe can wait for a call under way.
    std::mutex delivering_;
    std::thread notifier_;
};

} // namespace halden
