#pragma once

#include "adapter/hid/EmulatorControl.h"
#include "adapter/hid/HidBackend.h"
#include "tavro/emulator/AdapterMemory.h"
#include "tavro/emulator/AdapterModel.h"
#include "tavro/emulator/BootLoader.h"
#include "tavro/emulator/EmulatedHandle.h"
#include "tavro/emulator/EmulatorSettings.h"
#include "tavro/emulator/EmulatorState.h"
#include "tavro/emulator/UsbTiming.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

class ProcessLock;

// A Tavro adapter on an emulated USB bus, with its target chip behind it. It is a model
// of the adapter (the frames are documented in TavroFrames.h): the target's flash and
// option bytes, the stored off-line project, the firmware version and the boot loader,
// re-enumeration under the product ID of each mode, fault injection and full-speed USB
// timing, all as EmulatorSettings sets it up. The link library runs one when
// TAVRO_EMULATOR is set; tests create their own with the same settings.
//
// Thread-safe: the firmware-upgrade worker may own the link while the window thread
// watches arrivals. Listeners are told after the change, outside the emulator's lock.
class TavroEmulator : public HidBackend,
                      public EmulatorControl,
                      public std::enable_shared_from_this<TavroEmulator> {
public:
    // libraryFirmware: the version of the image the link library carries, which
    // "firmware=current" means; parts: the chips the adapter knows. Nothing when the
    // target part is not in the table.
    static std::shared_ptr<TavroEmulator> create(const EmulatorSettings& settings,
                                                 std::uint16_t libraryFirmware,
                                                 EmulatedPartTable parts, std::string* error);
    // The same from the TAVRO_EMULATOR text.
    static std::shared_ptr<TavroEmulator> create(std::string_view settings,
                                                 std::uint16_t libraryFirmware,
                                                 EmulatedPartTable parts, std::string* error);

    ~TavroEmulator() override = default;
    TavroEmulator(const TavroEmulator&) = delete;
    TavroEmulator& operator=(const TavroEmulator&) = delete;

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) override;
    using HidBackend::open;
    // With a state folder the adapter is locked for this process while a handle is open:
    // another process that shares the folder finds it in use.
    std::unique_ptr<HidHandle> open(std::uint16_t vendorId, std::uint16_t productId,
                                    bool* inUse) override;
    std::unique_ptr<HidHandle> openPath(const std::string& path, bool* inUse) override;

    void subscribe(HidDeviceListener& listener) override;
    void unsubscribe(HidDeviceListener& listener) override;
    EmulatorStatistics statistics() const override;
    void resetStatistics() override;

    // The product ID the adapter shows; 0 once it has left the bus.
    std::uint16_t productId() const;
    std::string devicePath() const;
    // "EMU-K" for adapter K of adapters=N, "EMU-0" for the one adapter.
    std::string serialNumber() const;
    AdapterMemory memory() const;
    // The chip in the target socket; nothing with target=none.
    const std::optional<EmulatedPart>& part() const { return part_; }
    bool targetOpen() const;
    // Whether closing the adapter reports a failure (fault closefail).
    bool failsClose() const;

private:
    friend class EmulatedHandle;
    using Clock = UsbTiming::Clock;
    using Lock = std::unique_lock<std::mutex>;
    struct Event {
        bool arrived = false;
        std::string path;
    };

    TavroEmulator(const EmulatorSettings& settings, EmulatedPartTable parts,
                  std::optional<EmulatedPart> part, std::uint16_t firmware);

    bool sendFeature(EmulatedHandle& handle, std::span<const std::uint8_t> report);
    bool getFeature(EmulatedHandle& handle, std::span<std::uint8_t> report);
    int readInput(EmulatedHandle& handle, std::span<std::uint8_t> buffer, int timeoutMs);
    bool writeOutput(EmulatedHandle& handle, std::span<const std::uint8_t> report);
    void cancel(EmulatedHandle& handle);
    void detach(EmulatedHandle& handle);
    std::string errorOf(const EmulatedHandle& handle) const;
    // Notes why a call on the handle failed, for its lastError().
    void fail(EmulatedHandle& handle, const char* why);

    bool usable(const EmulatedHandle& handle) const;
    bool hostReport(std::vector<Event>& events);
    bool refusesFeature();
    const EmulatorSettings::Fault* restartFault() const;
    bool featureToBootLoader(std::span<const std::uint8_t> report, std::vector<Event>& events);
    bool commandFrame(std::span<const std::uint8_t> report, Clock::time_point done,
                      std::vector<Event>& events);
    void apply(AdapterModel::Effects effects, Clock::time_point done, std::vector<Event>& events);
    void deliver(TavroFrames::Reply reply, std::uint8_t command, Clock::time_point ready);
    void reenumerate(std::uint16_t productId, std::vector<Event>& events);
    void resetModel();
    // Writes the items to the state folder; false (and why, on standard error) when the
    // folder could not keep them.
    bool persist(unsigned items);
    // Tells the listeners and waits out the bus time; called without the lock.
    void finish(const std::vector<Event>& events, Clock::time_point done);
    void notify(const std::vector<Event>& events);
    EmulatedHandle::Lengths lengths() const;
    std::string pathOf(std::uint16_t productId) const;

    const EmulatorSettings settings_;
    const EmulatedPartTable parts_;
    const std::optional<EmulatedPart> part_;
    const EmulatorState state_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    AdapterMemory memory_;
    std::optional<AdapterModel> model_;
    std::optional<BootLoader> bootLoader_;
    UsbTiming timing_;
    std::uint16_t productId_ = 0;
    bool plugged_ = true;
    std::uint32_t generation_ = 0;
    std::vector<EmulatedHandle*> handles_;
    std::weak_ptr<ProcessLock> stateLock_;
    std::vector<HidDeviceListener*> listeners_;
    EmulatorStatistics statistics_;
    std::size_t featuresAccepted_ = 0; // for the refuse fault, never reset
    std::size_t hostReports_ = 0;      // for the unplug fault, never reset
    std::uint32_t refusedInRow_ = 0;   // for the refuse fault with a count
};

} // namespace halden
