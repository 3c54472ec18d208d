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
#include <string_view>
#include <thread>

namespace halden {

class AdapterLink;

// The adapter firmware upgrade on a thread of its own, shared by both programs: the
// caller's start step sends the adapter to its boot loader, the worker closes the link,
// looks for the boot loader, downloads the image, restarts the adapter, waits for the
// boot loader to leave the bus and closes the link. From start() to its last
// notification it owns the link: the caller makes no call into the link library.
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
        ResetFailed, // the restart was not confirmed
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
        // the worker does not wait for the restart.
        bool watchingDevices = true;
    };

    // What a window keeps of the upgrade's waits and retries, with the pause before its
    // success message; tests shorten them.
    struct WindowTiming {
        FirmwareDownload::Timing download;
        int bootLoaderAttempts = 60;
        std::chrono::milliseconds bootLoaderRetry{1000};
        std::chrono::milliseconds restartWait{20000};
        std::chrono::milliseconds donePause{3000};

        Settings settings(StartStep start, bool watchingDevices) const {
            return {std::move(start), download,    bootLoaderAttempts,
                    bootLoaderRetry,  restartWait, watchingDevices};
        }
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

    // The device path of the adapter's boot loader, whose removal signals the event.
    static bool isBootLoaderPath(std::string_view path);

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
