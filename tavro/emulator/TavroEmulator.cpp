#include "tavro/emulator/TavroEmulator.h"

#include "adapter/hid/HidDevicePath.h"
#include "adapter/hid/InputReportCheck.h"
#include "adapter/wire/AdapterStatus.h"
#include "common/ProcessLock.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace halden {

namespace {

using Fault = EmulatorSettings::Fault;
using Mode = EmulatorSettings::Mode;

// The report ID the badreport fault sends replies under; the host waits for 0.
constexpr std::uint8_t kBadReportId = 1;

// Larger flash than any Corvane part has means a broken descriptor, not a chip.
constexpr std::uint32_t kMaxFlash = 16u << 20;

std::uint16_t productOf(Mode mode) {
    switch (mode) {
    case Mode::NeedsFirmware:
        return PRODUCT_NEEDS_FIRMWARE;
    case Mode::Recovery:
        return PRODUCT_RECOVERY;
    case Mode::BootLoader:
        return PRODUCT_BOOT_LOADER;
    case Mode::Normal:
        break;
    }
    return PRODUCT_PROGRAMMER;
}

// The firmware an adapter runs when it is out of step with the library.
std::uint16_t olderThan(std::uint16_t version) {
    return version > 0 ? static_cast<std::uint16_t>(version - 1) : 1;
}

} // namespace

std::shared_ptr<TavroEmulator> TavroEmulator::create(std::string_view settings,
                                                     std::uint16_t libraryFirmware,
                                                     EmulatedPartTable parts, std::string* error) {
    const auto parsed = EmulatorSettings::parse(settings, error);
    return parsed ? create(*parsed, libraryFirmware, std::move(parts), error) : nullptr;
}

std::shared_ptr<TavroEmulator> TavroEmulator::create(const EmulatorSettings& settings,
                                                     std::uint16_t libraryFirmware,
                                                     EmulatedPartTable parts, std::string* error) {
    std::optional<EmulatedPart> part;
    if (settings.target) {
        part = parts.find(*settings.target);
        if (!part || part->flashSize > kMaxFlash) {
            if (error) {
                *error = "TAVRO_EMULATOR: no part \"" + *settings.target + "\" in the catalogue";
            }
            return nullptr;
        }
    }
    const std::uint16_t firmware =
        settings.currentFirmware ? libraryFirmware : olderThan(libraryFirmware);
    return std::shared_ptr<TavroEmulator>(
        new TavroEmulator(settings, std::move(parts), std::move(part), firmware));
}

TavroEmulator::TavroEmulator(const EmulatorSettings& settings, EmulatedPartTable parts,
                             std::optional<EmulatedPart> part, std::uint16_t firmware)
    : settings_(settings), parts_(std::move(parts)), part_(std::move(part)),
      state_(settings.stateDir),
      timing_(settings.latency == EmulatorSettings::Latency::UsbFullSpeed),
      productId_(productOf(settings.mode)) {
    memory_.firmware = firmware;
    if (part_) {
        memory_.flash.assign(part_->flashSize, 0xFF);
        memory_.options.assign(
            std::min<std::size_t>(part_->optionCount, AdapterMemory::kMaxOptions), 0xFF);
    }
    state_.load(memory_);
    // An adapter that re-enumerated in an earlier process shows up as it left.
    if (memory_.productId != 0) {
        productId_ = memory_.productId;
    }
    resetModel();
}

void TavroEmulator::resetModel() {
    model_.emplace(memory_, part_, settings_.millivolts, settings_.offline, parts_);
    std::vector<std::uint32_t> stuck;
    for (const Fault& fault : settings_.faults) {
        if (fault.kind == Fault::Kind::Stuck) {
            stuck.push_back(fault.value);
        }
    }
    model_->setStuckCells(std::move(stuck));
    for (const Fault& fault : settings_.faults) {
        if (fault.kind == Fault::Kind::Corrupt) {
            model_->setCorruptStoredByte(fault.value);
        }
    }
    bootLoader_.reset();
    if (productId_ == PRODUCT_BOOT_LOADER) {
        const bool swap =
            std::any_of(settings_.faults.begin(), settings_.faults.end(),
                        [](const Fault& f) { return f.kind == Fault::Kind::BootSwap; });
        bootLoader_.emplace(swap);
    }
}

std::string TavroEmulator::pathOf(std::uint16_t productId) const {
    return HidDevicePath::format(kTavroVendorId, productId,
                                 "7&7a5e0&" + std::to_string(settings_.adapterNumber) + "&" +
                                     std::to_string(generation_));
}

EmulatedHandle::Lengths TavroEmulator::lengths() const {
    if (productId_ == PRODUCT_BOOT_LOADER) {
        return {TavroFrames::kBootFeatureLength, TavroFrames::kInputLength,
                TavroFrames::kOutputLength};
    }
    return {TavroFrames::kFeatureLength, TavroFrames::kInputLength, TavroFrames::kOutputLength};
}

std::vector<HidDeviceInfo> TavroEmulator::enumerate(std::uint16_t vendorId) {
    const Lock lock(mutex_);
    if (!plugged_ || vendorId != kTavroVendorId) {
        return {};
    }
    return {{kTavroVendorId, productId_, pathOf(productId_), serialNumber()}};
}

std::string TavroEmulator::serialNumber() const {
    return "EMU-" + std::to_string(settings_.adapterNumber);
}

std::unique_ptr<HidHandle> TavroEmulator::openPath(const std::string& path, bool* inUse) {
    const auto productId = HidDevicePath::productId(path, kTavroVendorId);
    if (!productId || !HidDevicePath::samePath(path, devicePath())) {
        return nullptr;
    }
    return open(kTavroVendorId, *productId, inUse);
}

std::unique_ptr<HidHandle> TavroEmulator::open(std::uint16_t vendorId, std::uint16_t productId,
                                               bool* inUse) {
    const Lock lock(mutex_);
    if (!plugged_ || vendorId != kTavroVendorId || productId != productId_) {
        return nullptr;
    }
    auto held = stateLock_.lock();
    if (!held && !settings_.stateDir.empty()) {
        auto outcome = ProcessLock::Outcome::Failed;
        std::error_code ignored;
        std::filesystem::create_directories(settings_.stateDir, ignored);
        held = ProcessLock::acquire(settings_.stateDir + "/adapter.lock", true, outcome);
        if (outcome == ProcessLock::Outcome::InUse) {
            if (inUse != nullptr) {
                *inUse = true;
            }
            return nullptr;
        }
        stateLock_ = held;
    }
    auto handle = std::make_unique<EmulatedHandle>(shared_from_this(), generation_, lengths());
    handle->lock_ = std::move(held);
    handles_.push_back(handle.get());
    return handle;
}

std::string TavroEmulator::errorOf(const EmulatedHandle& handle) const {
    const Lock lock(mutex_);
    if (!usable(handle)) {
        return plugged_ ? "the device re-enumerated: this handle is no longer valid"
                        : "the device is not connected";
    }
    return handle.lastError_;
}

void TavroEmulator::fail(EmulatedHandle& handle, const char* why) {
    handle.lastError_ = why;
}

void TavroEmulator::detach(EmulatedHandle& handle) {
    const Lock lock(mutex_);
    handles_.erase(std::remove(handles_.begin(), handles_.end(), &handle), handles_.end());
}

void TavroEmulator::subscribe(HidDeviceListener& listener) {
    const Lock lock(mutex_);
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end()) {
        listeners_.push_back(&listener);
    }
}

void TavroEmulator::unsubscribe(HidDeviceListener& listener) {
    const Lock lock(mutex_);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), &listener),
                     listeners_.end());
}

EmulatorStatistics TavroEmulator::statistics() const {
    const Lock lock(mutex_);
    EmulatorStatistics statistics = statistics_;
    statistics.transportTime = timing_.transportTime();
    statistics.targetOpen = model_->targetOpen();
    return statistics;
}

void TavroEmulator::resetStatistics() {
    const Lock lock(mutex_);
    statistics_ = {};
    timing_.reset();
}

std::uint16_t TavroEmulator::productId() const {
    const Lock lock(mutex_);
    return plugged_ ? productId_ : 0;
}

std::string TavroEmulator::devicePath() const {
    const Lock lock(mutex_);
    return pathOf(productId_);
}

AdapterMemory TavroEmulator::memory() const {
    const Lock lock(mutex_);
    return memory_;
}

bool TavroEmulator::targetOpen() const {
    const Lock lock(mutex_);
    return model_->targetOpen();
}

bool TavroEmulator::failsClose() const {
    return std::any_of(settings_.faults.begin(), settings_.faults.end(),
                       [](const Fault& f) { return f.kind == Fault::Kind::CloseFail; });
}

bool TavroEmulator::usable(const EmulatedHandle& handle) const {
    return plugged_ && handle.generation_ == generation_;
}

bool TavroEmulator::hostReport(std::vector<Event>& events) {
    for (const auto& fault : settings_.faults) {
        if (fault.kind == Fault::Kind::Unplug && hostReports_ >= fault.value) {
            plugged_ = false;
            events.push_back({false, pathOf(productId_)});
            changed_.notify_all();
            return false;
        }
    }
    ++hostReports_;
    return true;
}

bool TavroEmulator::refusesFeature() {
    for (const Fault& fault : settings_.faults) {
        if (fault.kind != Fault::Kind::Refuse || featuresAccepted_ < fault.value) {
            continue;
        }
        if (!fault.times) {
            return true;
        }
        if (refusedInRow_ < *fault.times) {
            ++refusedInRow_;
            return true;
        }
        refusedInRow_ = 0;
    }
    return false;
}

const EmulatorSettings::Fault* TavroEmulator::restartFault() const {
    const auto fault = std::find_if(settings_.faults.begin(), settings_.faults.end(),
                                    [](const Fault& f) { return f.kind == Fault::Kind::Restart; });
    return fault == settings_.faults.end() ? nullptr : &*fault;
}

bool TavroEmulator::sendFeature(EmulatedHandle& handle, std::span<const std::uint8_t> report) {
    std::vector<Event> events;
    Clock::time_point done;
    bool accepted = false;
    {
        const Lock lock(mutex_);
        if (!report.empty() && usable(handle) && hostReport(events)) {
            done = timing_.book(UsbTiming::Pipe::Control, report.size() - (report[0] == 0),
                                Clock::now());
            if (refusesFeature()) {
                accepted = false;
            } else if (bootLoader_) {
                accepted = featureToBootLoader(report, events);
            } else if (productId_ == PRODUCT_PROGRAMMER) {
                auto effects = model_->onFeature(report);
                accepted = effects.accepted;
                apply(std::move(effects), done, events);
            }
            featuresAccepted_ += accepted;
            ++(accepted ? statistics_.featureReportsSent : statistics_.featureReportsRefused);
            if (!accepted) {
                fail(handle, "the device refused the feature report (broken pipe)");
            }
        }
    }
    finish(events, done);
    return accepted;
}

bool TavroEmulator::featureToBootLoader(std::span<const std::uint8_t> report,
                                        std::vector<Event>& events) {
    const auto effects = bootLoader_->onFeature(report);
    if (!effects.restart) {
        return effects.accepted;
    }
    const Fault* fault = restartFault();
    if (fault != nullptr && fault->value == Fault::kRestartStays) {
        return true;
    }
    // A complete image starts as the new firmware; otherwise the boot loader stays.
    if (const auto version = bootLoader_->completeImageVersion()) {
        // Firmware the state folder cannot keep is not started: the Restart is refused and
        // the boot loader stays.
        const std::uint16_t previous = memory_.firmware;
        memory_.firmware = *version;
        if (!persist(AdapterMemory::kFirmware)) {
            memory_.firmware = previous;
            return false;
        }
        reenumerate(PRODUCT_PROGRAMMER, events);
    }
    return fault == nullptr;
}

bool TavroEmulator::getFeature(EmulatedHandle& handle, std::span<std::uint8_t> report) {
    std::vector<Event> events;
    Clock::time_point done;
    bool accepted = false;
    {
        const Lock lock(mutex_);
        if (!report.empty() && usable(handle) && hostReport(events)) {
            done = timing_.book(UsbTiming::Pipe::Control, report.size() - (report[0] == 0),
                                Clock::now());
            if (bootLoader_) {
                accepted = bootLoader_->readFeature(report);
            } else if (productId_ == PRODUCT_PROGRAMMER) {
                accepted = model_->readFeature(report);
            }
            statistics_.featureReportsRead += accepted;
            if (!accepted) {
                fail(handle, "the device refused to give the feature report (broken pipe)");
            }
        }
    }
    finish(events, done);
    return accepted;
}

bool TavroEmulator::writeOutput(EmulatedHandle& handle, std::span<const std::uint8_t> report) {
    std::vector<Event> events;
    Clock::time_point done;
    bool accepted = false;
    {
        const Lock lock(mutex_);
        if (report.size() >= 2 && usable(handle) && hostReport(events)) {
            done = timing_.book(UsbTiming::Pipe::Interrupt, report.size(), Clock::now());
            accepted = report[0] == TavroFrames::kCommandReportId;
            if (accepted && !bootLoader_) {
                if (report[1] == TavroFrames::kSwitchKind) {
                    reenumerate(PRODUCT_BOOT_LOADER, events);
                } else if (productId_ == PRODUCT_PROGRAMMER) {
                    accepted = commandFrame(report, done, events);
                }
            }
            statistics_.outputReports += accepted;
            if (!accepted) {
                fail(handle, "the device refused the output report (broken pipe)");
            }
        }
    }
    finish(events, done);
    return accepted;
}

void TavroEmulator::finish(const std::vector<Event>& events, Clock::time_point done) {
    notify(events);
    if (timing_.enabled() && done != Clock::time_point{}) {
        UsbTiming::waitUntil(done);
    }
}

bool TavroEmulator::commandFrame(std::span<const std::uint8_t> report, Clock::time_point done,
                                 std::vector<Event>& events) {
    const auto command = TavroFrames::parseCommand(report);
    if (!command) {
        return false;
    }
    auto& history = statistics_.commands;
    if (history.size() == EmulatorStatistics::kCommandHistory) {
        history.erase(history.begin());
    }
    history.push_back(command->code);
    apply(model_->onCommand(*command), done, events);
    return true;
}

void TavroEmulator::apply(AdapterModel::Effects effects, Clock::time_point done,
                          std::vector<Event>& events) {
    // A change the state folder cannot keep did not happen: the command that made it fails
    // and the memory stays as the folder holds it, so no process is told of work that is lost.
    if (effects.changed != 0 && !persist(effects.changed)) {
        if (effects.before) {
            memory_ = std::move(*effects.before);
        }
        if (effects.reply) {
            effects.reply->status = STATUS_FAILED;
        }
    }
    if (effects.reply) {
        deliver(*effects.reply, effects.command, done);
    }
    if (effects.enterBootLoader) {
        reenumerate(PRODUCT_BOOT_LOADER, events);
    }
}

void TavroEmulator::deliver(TavroFrames::Reply reply, std::uint8_t command,
                            Clock::time_point ready) {
    std::uint8_t reportId = 0;
    for (const auto& fault : settings_.faults) {
        if (!fault.appliesTo(command)) {
            continue;
        }
        if (fault.kind == Fault::Kind::Drop) {
            return;
        }
        if (fault.kind == Fault::Kind::WrongTag) {
            reply.tag = static_cast<std::uint8_t>(reply.tag + 1);
        } else if (fault.kind == Fault::Kind::Status) {
            reply.status = static_cast<std::uint16_t>(fault.value);
        } else if (fault.kind == Fault::Kind::BadReport) {
            reportId = kBadReportId;
        }
    }
    // The reply goes out on the interrupt endpoint once the adapter has it.
    const auto arrival = timing_.book(UsbTiming::Pipe::Interrupt, TavroFrames::kReplySize, ready);
    EmulatedHandle::Pending pending{TavroFrames::replyBytes(reply), arrival, reportId};
    for (auto* handle : handles_) {
        if (usable(*handle)) {
            if (handle->queue_.size() == EmulatedHandle::kQueueLimit) {
                handle->queue_.pop_front();
            }
            handle->queue_.push_back(pending);
        }
    }
    changed_.notify_all();
}

int TavroEmulator::readInput(EmulatedHandle& handle, std::span<std::uint8_t> buffer,
                             int timeoutMs) {
    if (buffer.empty()) {
        return HidHandle::kBadArgument;
    }
    Lock lock(mutex_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const unsigned cancels = handle.cancelCount_;
    for (;;) {
        if (!usable(handle)) {
            return HidHandle::kDeviceGone;
        }
        if (handle.cancelCount_ != cancels) {
            ++statistics_.cancelledReads;
            return HidHandle::kAborted;
        }
        const auto now = Clock::now();
        auto wake = deadline;
        if (!handle.queue_.empty()) {
            const auto& next = handle.queue_.front();
            if (next.availableAt <= now) {
                ++statistics_.inputReports;
                const std::string problem = InputReportCheck(0, handle.lengths_.input)
                                                .problem(next.reportId, handle.lengths_.input);
                if (!problem.empty()) {
                    handle.queue_.pop_front();
                    handle.lastError_ = problem;
                    return HidHandle::kInvalidData;
                }
                buffer[0] = 0;
                std::copy_n(next.bytes.begin(), std::min(next.bytes.size(), buffer.size() - 1),
                            buffer.begin() + 1);
                handle.queue_.pop_front();
                return HidHandle::kOk;
            }
            wake = std::min(wake, next.availableAt);
        }
        if (now >= deadline) {
            return HidHandle::kTimeout;
        }
        changed_.wait_until(lock, wake);
    }
}

void TavroEmulator::cancel(EmulatedHandle& handle) {
    const Lock lock(mutex_);
    ++handle.cancelCount_;
    ++statistics_.cancels;
    changed_.notify_all();
}

void TavroEmulator::reenumerate(std::uint16_t productId, std::vector<Event>& events) {
    events.push_back({false, pathOf(productId_)});
    ++generation_;
    productId_ = productId;
    memory_.productId = productId;
    persist(AdapterMemory::kMode);
    resetModel();
    events.push_back({true, pathOf(productId_)});
    changed_.notify_all();
}

bool TavroEmulator::persist(unsigned items) {
    const std::string failure = state_.save(memory_, items);
    if (!failure.empty()) {
        std::fprintf(stderr, "Tavro emulator: cannot write its state to %s:\n%s\n",
                     settings_.stateDir.c_str(), failure.c_str());
    }
    return failure.empty();
}

void TavroEmulator::notify(const std::vector<Event>& events) {
    if (events.empty()) {
        return;
    }
    std::vector<HidDeviceListener*> listeners;
    {
        const Lock lock(mutex_);
        listeners = listeners_;
    }
    for (const auto& event : events) {
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
