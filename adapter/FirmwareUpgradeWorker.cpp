#include "adapter/FirmwareUpgradeWorker.h"

#include "adapter/AdapterLink.h"
#include "adapter/wire/LinkResult.h"
#include "adapter/wire/TavroFrames.h"
#include "adapter/wire/TavroProduct.h"

#include <algorithm>
#include <vector>

namespace halden {

FirmwareUpgradeWorker::StartStep FirmwareUpgradeWorker::commandSwitch() {
    return [](AdapterLink& link) { return link.transact(LinkCommand::enterBootLoader()).sent; };
}

FirmwareUpgradeWorker::StartStep
FirmwareUpgradeWorker::outputReportSwitch(std::chrono::milliseconds settle) {
    return [settle](AdapterLink& link) {
        // The adapter showed up needing firmware (or in its boot loader); the check that
        // offered the upgrade may have found it under another product than it tried.
        if (!link.isOpen() && link.openRecovery() != 0 &&
            link.openProduct(PRODUCT_NEEDS_FIRMWARE) != 0) {
            link.openBootLoader();
        }
        std::vector<std::uint8_t> report(std::max<std::size_t>(link.outputReportLength(), 2), 0);
        report[0] = TavroFrames::kCommandReportId;
        report[1] = TavroFrames::kSwitchKind;
        // The adapter leaves the bus as it takes the report: the write is not waited for,
        // and its result says nothing.
        link.writeOutput(report, "switch output report");
        std::this_thread::sleep_for(settle);
        return 0;
    };
}

FirmwareUpgradeWorker::StartStep FirmwareUpgradeWorker::writtenSwitch() {
    return
        [](AdapterLink& link) { return link.transact(LinkCommand::enterBootLoaderWritten()).sent; };
}

FirmwareUpgradeWorker::StartStep FirmwareUpgradeWorker::alreadyInBootLoader() {
    return [](AdapterLink&) { return 0; };
}

const char* FirmwareUpgradeWorker::stepName(Step step) {
    switch (step) {
    case Step::Switch:
        return "switch to the boot loader";
    case Step::BootLoaderSearch:
        return "boot loader search";
    case Step::Download:
        return "download";
    }
    return "";
}

FirmwareUpgradeWorker::FirmwareUpgradeWorker(AdapterLink& link, FirmwareImage image,
                                             std::shared_ptr<UpgradeEvent> event, Settings settings,
                                             Events events, Post post)
    : link_(link), image_(std::move(image)), event_(std::move(event)),
      settings_(std::move(settings)), events_(std::move(events)), post_(std::move(post)) {}

FirmwareUpgradeWorker::~FirmwareUpgradeWorker() {
    {
        const std::lock_guard lock(stopMutex_);
        stop_ = true;
    }
    stopChanged_.notify_all();
    if (event_) {
        event_->set();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

void FirmwareUpgradeWorker::start() {
    if (thread_.joinable()) {
        return; // one run per worker
    }
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

bool FirmwareUpgradeWorker::stopping() {
    const std::lock_guard lock(stopMutex_);
    return stop_;
}

bool FirmwareUpgradeWorker::pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(stopMutex_);
    return !stopChanged_.wait_for(lock, duration, [this] { return stop_; });
}

void FirmwareUpgradeWorker::end(Step step, std::string why) {
    running_ = false;
    post_([ended = events_.ended, step, why = std::move(why)] {
        if (ended) {
            ended(step, why);
        }
    });
}

void FirmwareUpgradeWorker::finish(Result result) {
    running_ = false;
    post_([done = events_.result, result] {
        if (done) {
            done(result);
        }
    });
}

void FirmwareUpgradeWorker::run() {
    if (const int started = settings_.start(link_); started != 0) {
        end(Step::Switch, "the adapter did not take the switch to its boot loader (result " +
                              std::to_string(started) + ")");
        return;
    }
    link_.close();
    bool found = false;
    for (int attempt = 0; attempt < settings_.bootLoaderAttempts && !found; ++attempt) {
        found = link_.openBootLoader() == 0;
        if (!found && !pause(settings_.bootLoaderRetry)) {
            break;
        }
    }
    if (!found) {
        end(Step::BootLoaderSearch, "the boot loader did not show up after " +
                                        std::to_string(settings_.bootLoaderAttempts) + " attempts");
        return;
    }
    FirmwareDownload download(
        link_, image_, settings_.download,
        [this](int percent) {
            post_([progress = events_.progress, percent] {
                if (progress) {
                    progress(percent);
                }
            });
        },
        [this](std::chrono::milliseconds duration) { pause(duration); });
    const bool downloaded = download.run();
    post_([loaded = events_.loaded] {
        if (loaded) {
            loaded();
        }
    });
    if (!downloaded) {
        link_.close();
        end(Step::Download, download.failure());
        return;
    }
    if (event_) {
        event_->reset();
    }
    // Whether the Restart report was taken says nothing either way: an adapter that
    // restarts at once refuses it, and one that takes it may stay in its boot loader.
    FirmwareDownload::sendRestart(link_);
    const bool removed = removalSeen();
    const int closed = link_.close();
    const bool restarted = removed || bootLoaderGone();
    finish(!restarted ? Result::ResetFailed : closed != 0 ? Result::CloseFailed : Result::Done);
}

bool FirmwareUpgradeWorker::removalSeen() {
    if (event_ && settings_.watchingDevices &&
        event_->wait(settings_.restartWait) == UpgradeEvent::Wait::Signalled && !stopping()) {
        return true;
    }
    link_.cancelIo();
    return false;
}

// A removal notice can be missed, so the bus has the last word.
bool FirmwareUpgradeWorker::bootLoaderGone() {
    const auto until =
        std::chrono::steady_clock::now() +
        (settings_.watchingDevices ? std::chrono::milliseconds(0) : settings_.restartWait);
    while (!stopping()) {
        if (!bootLoaderOnBus()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= until || !pause(settings_.bootLoaderRetry)) {
            break;
        }
    }
    return false;
}

// Held by another process, it is there all the same.
bool FirmwareUpgradeWorker::bootLoaderOnBus() {
    const int opened = link_.openBootLoader();
    if (opened == 0) {
        link_.close();
    }
    return opened == 0 || opened == LINK_IN_USE;
}

} // namespace halden
