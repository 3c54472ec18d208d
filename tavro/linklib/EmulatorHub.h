#pragma once

#include "adapter/hid/EmulatorControl.h"
#include "adapter/hid/HidDeviceWatch.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace halden {

class EmulatedBus;

// The emulated adapters the link library runs while TAVRO_EMULATOR is set. A new text in
// the variable plugs in new adapters: the old ones are removed from the bus and the new
// ones arrive, so a device watcher subscribed here sees the change like a re-plug. The
// bus counts are those of the adapter opened last (the first before any was opened).
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

    // The adapters for these settings, the running ones while the text is the same; null
    // with error set when the text is not valid.
    std::shared_ptr<EmulatedBus> emulatorFor(const std::string& settings,
                                             std::uint16_t libraryFirmware, std::string* error);

    void subscribe(HidDeviceListener& listener) override;
    void unsubscribe(HidDeviceListener& listener) override;
    EmulatorStatistics statistics() const override;
    void resetStatistics() override;
    // The adapter the statistics speak of: the one with this path.
    void noteOpened(const std::string& path);

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
    std::shared_ptr<EmulatedBus> bus_;
    std::size_t counted_ = 0; // the adapter the statistics are of
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
