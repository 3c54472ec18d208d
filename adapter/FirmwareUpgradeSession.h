#pragma once

#include "adapter/FirmwareDownload.h"
#include "adapter/FirmwareImage.h"
#include "adapter/FirmwareUpgradeWorker.h"
#include "adapter/UpgradeEvent.h"
#include "adapter/hid/HidDeviceWatch.h"
#include "common/MessageService.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace halden {

class AdapterLink;

// One program's side of the adapter firmware upgrade, the same in the programmer, the
// pack setup tool and halden: it starts the worker, keeps the upgrade event and the
// in-progress flag, follows the device watch (a removal of the boot loader during an
// upgrade signals the event) and hands the worker's notifications to the caller's
// handlers on the caller's thread. Everything but the worker and the watch runs on
// that thread: the post function, given by the caller, queues a call onto it.
class FirmwareUpgradeSession {
public:
    using Result = FirmwareUpgradeWorker::Result;
    using Step = FirmwareUpgradeWorker::Step;
    using StartStep = FirmwareUpgradeWorker::StartStep;
    using Post = FirmwareUpgradeWorker::Post;

    // The upgrade's waits and retries, with the pause a window makes before its success
    // message; tests shorten them.
    struct Timing {
        FirmwareDownload::Timing download;
        int bootLoaderAttempts = 60;
        std::chrono::milliseconds bootLoaderRetry{1000};
        std::chrono::milliseconds restartWait{20000};
        std::chrono::milliseconds donePause{3000};
    };

    // What the user is told of a result: the texts' IDs in the programmer's UI text
    // table, and the English texts, which the pack setup tool shows as they are.
    struct ResultText {
        std::uint16_t captionId;
        std::uint16_t textId;
        std::u16string_view caption;
        std::u16string_view text;
        MessageStyle style;
    };
    static ResultText resultText(Result result);
    static constexpr std::uint16_t kErrorCaptionId = 1101;
    static constexpr std::u16string_view kErrorCaption = u"Error !";
    // What the user is told when the worker stopped before the Restart; retry ends the
    // sentence that begins "Unplug the Tavro and plug it in again".
    static std::u16string stoppedText(Step step, std::u16string_view retry);

    // The device path of the adapter's boot loader, compared without regard to case.
    static bool isBootLoaderPath(std::string_view path);

    // One upgrade's notifications, each on the caller's thread; any may be empty.
    struct Handlers {
        std::function<void(int percent)> progress; // 0 to 100, -1 clears
        std::function<void()> loaded;              // the download phase has ended
        // The upgrade got as far as the Restart. The session still runs while the
        // handler shows the result, so no second upgrade starts meanwhile.
        std::function<void(Result)> result;
        // The worker stopped at its step (why: one line for diagnostics). The session
        // has ended before the handler, which may start again.
        std::function<void(Step, const std::string& why)> stopped;
    };
    // The devices the watch reports, on the caller's thread, after the session's look.
    struct DeviceHandlers {
        std::function<void(const std::string& path)> arrived;
        std::function<void(const std::string& path)> removed;
    };

    FirmwareUpgradeSession(AdapterLink& link, std::string eventName, Post post);
    // Stops a running worker and waits for it, then leaves the watch.
    ~FirmwareUpgradeSession();
    FirmwareUpgradeSession(const FirmwareUpgradeSession&) = delete;
    FirmwareUpgradeSession& operator=(const FirmwareUpgradeSession&) = delete;

    // Follows the watch from now on (null: none, and then the worker looks for the boot
    // loader on the bus instead of waiting for its removal).
    void follow(std::unique_ptr<HidDeviceWatch> watch, DeviceHandlers handlers = {});
    bool watching() const { return watch_ != nullptr; }
    // A device left the bus: signals the event when it is the boot loader during an
    // upgrade, then tells the device handler. The watch's removals come here too.
    void removed(const std::string& path);

    void setTiming(const Timing& timing) { timing_ = timing; }
    const Timing& timing() const { return timing_; }

    // Starts the worker on the open link, whose start step sends the adapter to its boot
    // loader; false (and nothing happens) while an upgrade runs.
    bool start(FirmwareImage image, StartStep startStep, Handlers handlers);
    // From start() until the result has been handled or the worker stopped.
    bool running() const { return running_; }
    // The running upgrade's event; null between upgrades.
    const UpgradeEvent* event() const { return event_.get(); }

private:
    class WatchListener;

    // Queues call(*this, argument) onto the caller's thread.
    template <typename Call, typename Argument> void post(Call call, Argument argument);
    void end();

    AdapterLink& link_;
    const std::string eventName_;
    const Post post_;
    Timing timing_;
    bool running_ = false;
    std::shared_ptr<UpgradeEvent> event_;
    std::unique_ptr<FirmwareUpgradeWorker> worker_;
    DeviceHandlers deviceHandlers_;
    std::unique_ptr<WatchListener> listener_;
    std::unique_ptr<HidDeviceWatch> watch_;
    // Expires with the session; its queued calls hold it weakly.
    const std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
};

} // namespace halden
