#pragma once

#include "adapter/FirmwareDownload.h"
#include "adapter/FirmwareImage.h"
#include "adapter/UpgradeEvent.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace halden {

class AdapterLink;

// The adapter firmware upgrade on a thread of its own, shared by both programs: the
// caller's start step sends the adapter to its boot loader, the worker closes the link,
// looks for the boot loader, downloads the image, restarts the adapter, waits for the
// boot loader to leave the bus and closes the link. The restart counts as done when the
// boot loader's removal was seen or, the wait over, the boot loader is no longer on the
// bus. From start() to its last notification it owns the link: the caller makes no call
// into the link library. FirmwareUpgradeSession runs it for the programs.
//
// It never calls the caller directly: every notification goes through the caller's post
// function (a queued call into the window's thread), in this order: progress from the
// download, loaded once the download phase has ended, then exactly one of result (the
// upgrade got as far as the Restart) or ended (it stopped before, silently as far as the
// adapter goes).
class FirmwareUpgradeWorker {
public:
    // Where a worker that did not reach the Restart stopped.
    enum class Step { Switch, BootLoaderSearch, Download };
    enum class Result {
        ResetFailed, // the boot loader was still on the bus after the restart wait
        CloseFailed, // the upgrade was done, but closing the adapter failed
        Done,
    };
    // Sends the adapter to its boot loader on the open link: 0 when it is on its way,
    // otherwise the result that ends the worker.
    using StartStep = std::function<int(AdapterLink&)>;

    struct Settings {
        StartStep start;
        FirmwareDownload::Timing download;
        int bootLoaderAttempts = 60;
        std::chrono::milliseconds bootLoaderRetry{1000};
        std::chrono::milliseconds restartWait{20000};
        // Whether the caller follows removals (and so signals the event); without that
        // the worker looks for the boot loader on the bus every bootLoaderRetry through
        // the restart wait instead.
        bool watchingDevices = true;
    };

    struct Events {
        std::function<void(int percent)> progress;
        std::function<void()> loaded;
        std::function<void(Result)> result;
        std::function<void(Step, const std::string& why)> ended;
    };
    using Post = std::function<void(std::function<void()>)>;

    // The programmer's start steps: CMD_ENTER_BOOTLOADER, or (forced mode) the switch
    // output report on whatever mode of the adapter is open, opening it first when the
    // link holds none.
    static StartStep commandSwitch();
    static StartStep
    outputReportSwitch(std::chrono::milliseconds settle = std::chrono::milliseconds(200));
    // The pack setup tool's: CMD_ENTER_BOOTLOADER written into the block and sent with
    // ICE_Write; or nothing, for an adapter found in its boot loader.
    static StartStep writtenSwitch();
    static StartStep alreadyInBootLoader();

    FirmwareUpgradeWorker(AdapterLink& link, FirmwareImage image,
                          std::shared_ptr<UpgradeEvent> event, Settings settings, Events events,
                          Post post);
    // Asks a running worker to stop waiting and waits for its thread.
    ~FirmwareUpgradeWorker();
    FirmwareUpgradeWorker(const FirmwareUpgradeWorker&) = delete;
    FirmwareUpgradeWorker& operator=(const FirmwareUpgradeWorker&) = delete;

    void start();
    // Between start() and the worker's last notification being posted.
    bool running() const { return running_; }

    static const char* stepName(Step step);

private:
    void run();
    void end(Step step, std::string why);
    void finish(Result result);
    // Sleeps unless the worker is asked to stop; false when it was.
    bool pause(std::chrono::milliseconds duration);
    bool stopping();
    // Waits for the event after the Restart; true when the removal was seen.
    bool removalSeen();
    // Looks for the boot loader on the bus, through the restart wait when no removals
    // are followed; true when it has gone.
    bool bootLoaderGone();
    bool bootLoaderOnBus();

    AdapterLink& link_;
    const FirmwareImage image_;
    const std::shared_ptr<UpgradeEvent> event_;
    const Settings settings_;
    const Events events_;
    const Post post_;
    std::atomic<bool> running_{false};
    std::mutex stopMutex_;
    std::condition_variable stopChanged_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace halden
