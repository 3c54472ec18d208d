#pragma once

#include "adapter/hid/HidDeviceWatch.h"
#include "tests/support/hidraw/HidrawNode.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;
typedef struct _UMockdevTestbed UMockdevTestbed;

namespace halden {
class EmulatedBus;
class TavroEmulator;
} // namespace halden

namespace halden::test {

// Emulated Tavro adapters shown to processes as /dev/hidrawN by a umockdev testbed:
// sysfs, udev, uevents and the nodes' ioctls, reads and writes, all answered by the
// emulator's model of each adapter. When an adapter re-enumerates (boot loader and back)
// or leaves the bus, its node goes and the new one comes with remove and add uevents,
// as the kernel shows it; unplug and plug do the same by hand.
//
// Programs see the testbed when they run with umockdev's preload library and the poll
// shim (preloadVariable()), with UMOCKDEV_DIR, which the testbed sets in this process's
// environment, and TAVRO_EMULATOR unset. umockdev runs its handlers on a main loop in a
// thread of the bed's own; every change to the testbed is made there.
class HidrawBed {
public:
    // settings: as TAVRO_EMULATOR takes them (adapters=N included); libraryFirmware: the
    // version "firmware=current" means. Null with error set when they are not valid.
    static std::unique_ptr<HidrawBed> create(std::string_view settings,
                                             std::uint16_t libraryFirmware, std::string* error);
    ~HidrawBed();
    HidrawBed(const HidrawBed&) = delete;
    HidrawBed& operator=(const HidrawBed&) = delete;

    std::size_t adapterCount() const;
    TavroEmulator& adapter(std::size_t index);
    // The adapter's present node ("/dev/hidraw3"); empty while it is off the bus.
    std::string devNode(std::size_t index);
    // The adapter's path in the programs' form, for its present node; empty while off.
    std::string systemPath(std::size_t index);
    void unplug(std::size_t index);
    void plug(std::size_t index);
    std::string rootDir() const;

    // LD_PRELOAD for the programs: umockdev's preload library, then the poll shim
    // beside this program (or in dir, when given).
    static std::string preloadVariable(const std::string& dir = {});
    // Starts this program again with preloadVariable() in front of LD_PRELOAD unless it
    // runs with umockdev's preload already: umockdev sends uevents through libudev on the
    // testbed's sysfs, which only a process with its preload library sees, and a test
    // that opens the nodes itself needs the poll shim. Returns only when it is there.
    static void restartUnderPreload(char** argv);
    // The firmware version the link library at libraryPath carries (0 without an image):
    // what "firmware=current" means.
    static std::uint16_t libraryFirmware(const std::string& libraryPath);

private:
    class Slot;

    HidrawBed();
    // Runs work on the loop thread and waits for it; from the loop thread, runs it later.
    void run(std::function<void()> work);
    void post(std::function<void()> work);
    // On the loop thread: the adapter's node for its product ID now, or none.
    void replug(Slot& slot);
    void takeOff(Slot& slot);

    UMockdevTestbed* testbed_ = nullptr;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
    std::thread::id loopId_;
    std::shared_ptr<EmulatedBus> bus_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::mutex mutex_; // guards the slots' nodes for readers off the loop thread
    unsigned nextMinor_ = 0;
    unsigned nextSequence_ = 1;
};

} // namespace halden::test
