#include "adapter/FirmwareUpgradeSession.h"

#include "adapter/hid/HidDevicePath.h"
#include "adapter/wire/TavroProduct.h"

#include <algorithm>
#include <cctype>

namespace halden {

// A call that comes after the session's end is dropped: the caller's queue may outlive
// the session.
template <typename Call, typename Argument>
void FirmwareUpgradeSession::post(Call call, Argument argument) {
    post_([alive = std::weak_ptr<const int>(alive_), this, call = std::move(call),
           argument = std::move(argument)] {
        if (!alive.expired()) {
            call(*this, argument);
        }
    });
}

// Arrivals and removals come on the watch's thread; the session sees them on its own.
class FirmwareUpgradeSession::WatchListener : public HidDeviceListener {
public:
    explicit WatchListener(FirmwareUpgradeSession& session) : session_(session) {}
    void arrived(const std::string& path) override {
        session_.post(
            [](FirmwareUpgradeSession& session, const std::string& device) {
                if (session.deviceHandlers_.arrived) {
                    session.deviceHandlers_.arrived(device);
                }
            },
            path);
    }
    void removed(const std::string& path) override {
        session_.post([](FirmwareUpgradeSession& session,
                         const std::string& device) { session.removed(device); },
                      path);
    }

private:
    FirmwareUpgradeSession& session_;
};

FirmwareUpgradeSession::ResultText FirmwareUpgradeSession::resultText(Result result) {
    constexpr MessageStyle kError{MessageButtons::Ok, MessageIcon::Error};
    switch (result) {
    case Result::ResetFailed:
        return {kErrorCaptionId, 1130, kErrorCaption, u"Tavro reset to AP fail !", kError};
    case Result::CloseFailed:
        return {kErrorCaptionId, 1129, kErrorCaption, u"Close Tavro fail !", kError};
    case Result::Done:
        break;
    }
    return {1104,
            1128,
            u"Pass !",
            u"Tavro is upgraded !",
            {MessageButtons::Ok, MessageIcon::Information}};
}

std::u16string FirmwareUpgradeSession::stoppedText(Step step, std::u16string_view retry) {
    const char16_t* where = step == Step::Switch             ? u"the switch was refused"
                            : step == Step::BootLoaderSearch ? u"no boot loader was found"
                                                             : u"the download failed";
    return std::u16string(u"The firmware upgrade did not finish: ") + where +
           u". Unplug the Tavro and plug it in again" + std::u16string(retry);
}

bool FirmwareUpgradeSession::isBootLoaderPath(std::string_view path) {
    const std::string prefix = HidDevicePath::prefix(kTavroVendorId, PRODUCT_BOOT_LOADER);
    return path.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), path.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

FirmwareUpgradeSession::FirmwareUpgradeSession(AdapterLink& link, std::string eventName, Post post)
    : link_(link), eventName_(std::move(eventName)), post_(std::move(post)) {}

FirmwareUpgradeSession::~FirmwareUpgradeSession() {
    // Its posted calls die with the caller's queue; the thread must end first.
    worker_.reset();
    if (watch_ && listener_) {
        watch_->unsubscribe(*listener_);
    }
}

void FirmwareUpgradeSession::follow(std::unique_ptr<HidDeviceWatch> watch,
                                    DeviceHandlers handlers) {
    if (watch_ && listener_) {
        watch_->unsubscribe(*listener_);
    }
    deviceHandlers_ = std::move(handlers);
    watch_ = std::move(watch);
    if (watch_) {
        listener_ = std::make_unique<WatchListener>(*this);
        watch_->subscribe(*listener_);
    }
}

// The worker resets the event before its Restart report, so a removal seen earlier
// does not count.
void FirmwareUpgradeSession::removed(const std::string& path) {
    if (running_ && event_ && isBootLoaderPath(path)) {
        event_->set();
    }
    if (deviceHandlers_.removed) {
        deviceHandlers_.removed(path);
    }
}

bool FirmwareUpgradeSession::start(FirmwareImage image, StartStep startStep, Handlers handlers) {
    if (running_) {
        return false;
    }
    worker_.reset();
    running_ = true;
    event_ = std::make_shared<UpgradeEvent>(eventName_);
    FirmwareUpgradeWorker::Settings settings{std::move(startStep),       timing_.download,
                                             timing_.bootLoaderAttempts, timing_.bootLoaderRetry,
                                             timing_.restartWait,        watching()};
    FirmwareUpgradeWorker::Events events;
    events.progress = [progress = handlers.progress](int percent) {
        if (progress) {
            progress(percent);
        }
    };
    events.loaded = [loaded = handlers.loaded] {
        if (loaded) {
            loaded();
        }
    };
    events.result = [this, result = handlers.result](Result outcome) {
        if (result) {
            result(outcome);
        }
        end();
    };
    events.ended = [this, stopped = handlers.stopped](Step step, const std::string& why) {
        end();
        if (stopped) {
            stopped(step, why);
        }
    };
    worker_ = std::make_unique<FirmwareUpgradeWorker>(
        link_, std::move(image), event_, std::move(settings), std::move(events),
        [this](std::function<void()> call) {
            post([](FirmwareUpgradeSession&, const std::function<void()>& f) { f(); },
                 std::move(call));
        });
    worker_->start();
    return true;
}

void FirmwareUpgradeSession::end() {
    running_ = false;
    event_.reset();
}

} // namespace halden
