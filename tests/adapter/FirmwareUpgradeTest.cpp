// The firmware download and the upgrade worker against the emulated adapter, through the
// real link library.
#include "adapter/FirmwareDownload.h"
#include "adapter/FirmwareUpgradeSession.h"
#include "adapter/wire/TavroProduct.h"
#include "tests/programmer/programming/LinkFixture.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <numeric>

namespace halden {
namespace {

using namespace std::chrono_literals;
using Worker = FirmwareUpgradeWorker;
using Session = FirmwareUpgradeSession;

std::vector<std::uint8_t> pattern(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return bytes;
}

class FirmwareTest : public test::LinkTest {
protected:
    // Plugs in an adapter with these settings without opening it.
    void attach(const std::string& settings) {
        setenv("TAVRO_EMULATOR", settingsFor(settings).c_str(), 1);
        link.CheckDevice(); // the library takes the new settings at its next call
    }

    FirmwareDownload::Timing fast() const { return {0ms, 0ms, 500}; }
};

// The downloads as the boot loader sees them: the wait after Begin, the Data reports of
// F - 1 bytes, the progress, and what the boot loader's checksum says.
TEST_F(FirmwareTest, DownloadsTheImageInFeatureReportsAfterItsWait) {
    struct Case {
        const char* settings;
        std::size_t length;
        int retries;
        bool ok;
        std::chrono::milliseconds wait;
        std::vector<std::size_t> payloads; // the Data reports' image bytes
        std::size_t retrySleeps;
        const char* failure = "";
    };
    const std::vector<Case> cases = {
        {"mode=boot", 512, 500, true, 50ms, std::vector<std::size_t>(8, 64), 0},
        {"mode=boot", 511, 500, true, 25ms, {64, 64, 64, 64, 64, 64, 64, 63}, 0},
        {"mode=boot", 129, 500, true, 25ms, {64, 64, 1}, 0},
        {"mode=boot", 1024, 500, true, 75ms, std::vector<std::size_t>(16, 64), 0},
        {"mode=boot,fault=bootswap", 129, 500, false, 25ms, {64, 64, 1}, 0, "checksum differs"},
        // Each report refused twice, then taken: two retries each get every Data report
        // through, since the count starts afresh for every report (the Check report is
        // not retried, so the download fails there).
        {"mode=boot,fault=refuse:1:2", 129, 2, false, 25ms, {64, 64, 1}, 6, "its checksum"},
        {"mode=boot,fault=refuse:1:2", 129, 1, false, 25ms, {64}, 1, "refused the Data report"},
        // Unplugged after Begin and two Data reports: no retries, and the failure says so.
        {"mode=boot,fault=unplug:3",
         129,
         500,
         false,
         25ms,
         {64, 64, 1},
         0,
         "the adapter left the bus during the download, at image offset 128 of 129 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + " L=" + std::to_string(c.length) +
                     " retries=" + std::to_string(c.retries));
        attach(c.settings);
        ASSERT_EQ(adapter.openBootLoader(), 0);
        ASSERT_EQ(adapter.featureReportLength(), 65u);
        test::RecordingHandle recording(handle());
        void* const real = link.HidDevice->handle;
        link.HidDevice->handle = &recording;

        const FirmwareImage image(pattern(c.length));
        std::vector<std::chrono::milliseconds> sleeps;
        std::vector<int> progress;
        auto timing = FirmwareDownload::Timing{25ms, 8ms, c.retries};
        FirmwareDownload download(
            adapter, image, timing, [&](int percent) { progress.push_back(percent); },
            [&](std::chrono::milliseconds d) { sleeps.push_back(d); });
        const bool ok = download.run();
        link.HidDevice->handle = real;
        adapter.close();

        EXPECT_EQ(ok, c.ok) << download.failure();
        EXPECT_NE(download.failure().find(c.failure), std::string::npos) << download.failure();
        ASSERT_FALSE(sleeps.empty());
        EXPECT_EQ(sleeps.front(), c.wait);
        EXPECT_EQ(sleeps.size() - 1, c.retrySleeps);
        for (std::size_t i = 1; i < sleeps.size(); ++i) {
            EXPECT_EQ(sleeps[i], 8ms);
        }
        // Begin, the Data reports (with their retries), Check; every one F bytes long.
        const auto& sent = recording.features;
        ASSERT_GE(sent.size(), 2u);
        for (const auto& report : sent) {
            EXPECT_EQ(report.size(), 65u);
            EXPECT_EQ(report[0], 0);
        }
        EXPECT_EQ(sent.front()[1], 0x33);
        EXPECT_EQ((sent.front()[5] << 16) | (sent.front()[6] << 8) | sent.front()[7],
                  static_cast<int>(c.length));
        EXPECT_EQ(sent.back()[1], 0x22);
        EXPECT_EQ(sent.back()[7], 2);
        // Distinct Data reports in order, each one's bytes and zero padding.
        std::vector<std::size_t> payloads;
        std::size_t at = 0;
        const std::vector<std::uint8_t> bytes(image.bytes().begin(), image.bytes().end());
        for (std::size_t i = 1; i + 1 < sent.size(); ++i) {
            if (i > 1 && sent[i] == sent[i - 1]) {
                continue; // a retry
            }
            const std::size_t n = std::min<std::size_t>(64, c.length - at);
            EXPECT_TRUE(
                std::equal(bytes.begin() + at, bytes.begin() + at + n, sent[i].begin() + 1));
            EXPECT_TRUE(std::all_of(sent[i].begin() + 1 + n, sent[i].end(),
                                    [](std::uint8_t b) { return b == 0; }));
            payloads.push_back(n);
            at += n;
        }
        EXPECT_EQ(payloads, c.payloads);
        // 0 first, then rises of more than one point, then 100 and -1.
        ASSERT_GE(progress.size(), 3u);
        EXPECT_EQ(progress.front(), 0);
        EXPECT_EQ(progress[progress.size() - 2], 100);
        EXPECT_EQ(progress.back(), -1);
        for (std::size_t i = 1; i + 2 < progress.size(); ++i) {
            EXPECT_GT(progress[i] - progress[i - 1], 1);
        }
    }
}

// The emulator's watch, lent to a session for one run.
class LentWatch : public HidDeviceWatch {
public:
    explicit LentWatch(HidDeviceWatch& watch) : watch_(watch) {}
    void subscribe(HidDeviceListener& listener) override { watch_.subscribe(listener); }
    void unsubscribe(HidDeviceListener& listener) override { watch_.unsubscribe(listener); }

private:
    HidDeviceWatch& watch_;
};

// Runs an upgrade session and takes its queued calls on the test's thread, as the window's
// thread takes them; with a watch, the boot loader's removals signal its event.
class UpgradeRun {
public:
    UpgradeRun(AdapterLink& link, EmulatorControl* watch)
        : session_(link, UpgradeEvent::kProgrammerName, [this](std::function<void()> call) {
              {
                  const std::lock_guard lock(mutex_);
                  calls_.push_back(std::move(call));
              }
              posted_.notify_all();
          }) {
        if (watch != nullptr) {
            session_.follow(std::make_unique<LentWatch>(*watch));
        }
    }

    // Runs the session's worker to its last notification.
    void run(const FirmwareImage& image, Session::StartStep start, const Session::Timing& timing) {
        Session::Handlers handlers;
        handlers.progress = [this](int percent) {
            log.push_back("progress " + std::to_string(percent));
        };
        handlers.loaded = [this] { log.push_back("loaded"); };
        handlers.result = [this](Session::Result r) {
            result = r;
            runningInHandler = session_.running();
        };
        handlers.stopped = [this](Session::Step s, const std::string& why) {
            ended = s;
            endedWhy = why;
            runningInHandler = session_.running();
        };
        session_.setTiming(timing);
        ASSERT_TRUE(session_.start(image, std::move(start), std::move(handlers)));
        EXPECT_FALSE(session_.start(image, Worker::alreadyInBootLoader(), {}))
            << "one upgrade at a time";
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (session_.running() && std::chrono::steady_clock::now() < deadline) {
            std::unique_lock lock(mutex_);
            posted_.wait_until(lock, deadline, [this] { return !calls_.empty(); });
            while (!calls_.empty()) {
                auto call = std::move(calls_.front());
                calls_.pop_front();
                lock.unlock();
                call();
                lock.lock();
            }
        }
        ASSERT_FALSE(session_.running());
        EXPECT_EQ(session_.event(), nullptr) << "the event lives as long as the upgrade";
    }

    std::vector<std::string> log;
    std::optional<Session::Result> result;
    std::optional<Session::Step> ended;
    std::string endedWhy;
    std::optional<bool> runningInHandler;

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
    Session session_; // last: its worker ends before the queue goes
};

struct WorkerCase {
    const char* name;
    const char* settings;
    bool openProgrammer;
    enum class Start { Command, OutputReport, Written, Nothing } start;
    bool watching;
    std::optional<Worker::Result> result;
    std::optional<Worker::Step> ended;
    bool upgraded; // the adapter then runs the library's firmware in programmer mode
    std::size_t cancels;
};

TEST_F(FirmwareTest, WorkerEndsWithExactlyOneResultOrStopsAtItsStep) {
    using Start = WorkerCase::Start;
    using R = Worker::Result;
    using S = Worker::Step;
    const std::vector<WorkerCase> cases = {
        {"mismatch", "firmware=old", true, Start::Command, true, R::Done, {}, true, 0},
        {"0331 arrival",
         "mode=0331,firmware=old",
         false,
         Start::OutputReport,
         true,
         R::Done,
         {},
         true,
         0},
        {"0FFF arrival",
         "mode=0FFF,firmware=old",
         false,
         Start::OutputReport,
         true,
         R::Done,
         {},
         true,
         0},
        {"in its boot loader",
         "mode=boot,firmware=old",
         false,
         Start::OutputReport,
         true,
         R::Done,
         {},
         true,
         0},
        {"restart refused, then removal",
         "firmware=old,fault=restart:refuse",
         true,
         Start::Command,
         true,
         R::Done,
         {},
         true,
         0},
        // Without removals the bus decides: the boot loader has gone.
        {"restart refused, no watch",
         "firmware=old,fault=restart:refuse",
         true,
         Start::Command,
         false,
         R::Done,
         {},
         true,
         1},
        // The wait ends without a removal, and the boot loader is still on the bus.
        {"restart taken, no removal",
         "firmware=old,fault=restart:stay",
         true,
         Start::Command,
         true,
         R::ResetFailed,
         {},
         false,
         1},
        {"restart taken, no watch",
         "firmware=old,fault=restart:stay",
         true,
         Start::Command,
         false,
         R::ResetFailed,
         {},
         false,
         1},
        {"written switch", "firmware=old", true, Start::Written, true, R::Done, {}, true, 0},
        {"swapped checksum",
         "firmware=old,fault=bootswap",
         true,
         Start::Command,
         true,
         {},
         S::Download,
         false,
         0},
        {"unplugged in the download",
         "firmware=old,fault=unplug:6",
         true,
         Start::Command,
         true,
         {},
         S::Download,
         false,
         0},
        {"data refused",
         "firmware=old,fault=refuse:1",
         true,
         Start::Command,
         true,
         {},
         S::Download,
         false,
         0},
        {"no boot loader",
         "firmware=old",
         true,
         Start::Nothing,
         true,
         {},
         S::BootLoaderSearch,
         false,
         0},
        {"switch refused", "firmware=old", false, Start::Command, true, {}, S::Switch, false, 0},
    };
    const auto image = FirmwareImage::fromLinkLibrary(libraryPath());
    ASSERT_TRUE(image);
    for (const WorkerCase& c : cases) {
        SCOPED_TRACE(c.name);
        attach(c.settings);
        if (c.openProgrammer) {
            ASSERT_EQ(adapter.openProgrammer(), 0);
        }
        control()->resetStatistics();
        const Session::StartStep start =
            c.start == Start::Command        ? Worker::commandSwitch()
            : c.start == Start::OutputReport ? Worker::outputReportSwitch(0ms)
            : c.start == Start::Written      ? Worker::writtenSwitch()
                                             : Worker::alreadyInBootLoader();
        Session::Timing timing;
        timing.download = fast();
        timing.download.dataRetries = 3;
        timing.bootLoaderAttempts = 5;
        timing.bootLoaderRetry = 5ms;
        timing.restartWait = 300ms;
        UpgradeRun run(adapter, c.watching ? control() : nullptr);
        run.run(*image, start, timing);
        EXPECT_EQ(run.result, c.result) << run.endedWhy;
        EXPECT_EQ(run.ended, c.ended);
        // A result is handled while the session runs, a stop after it has ended.
        EXPECT_EQ(run.runningInHandler, c.result.has_value());
        EXPECT_EQ(control()->statistics().cancels, c.cancels);
        EXPECT_FALSE(adapter.isOpen()) << "the worker leaves the link closed";
        if (c.ended != S::Switch && c.ended != S::BootLoaderSearch) {
            // The download phase ended: progress 0 ... 100, -1, then loaded.
            ASSERT_GE(run.log.size(), 4u);
            EXPECT_EQ(run.log.front(), "progress 0");
            EXPECT_EQ(run.log[run.log.size() - 3], "progress 100");
            EXPECT_EQ(run.log[run.log.size() - 2], "progress -1");
            EXPECT_EQ(run.log.back(), "loaded");
        } else {
            EXPECT_TRUE(run.log.empty());
        }
        int mismatch = 1;
        const bool programmer = adapter.openProgrammer() == 0;
        EXPECT_EQ(programmer, c.upgraded || c.ended == S::BootLoaderSearch || c.ended == S::Switch);
        if (programmer) {
            ASSERT_EQ(adapter.checkFirmware(mismatch), 0);
            EXPECT_EQ(mismatch == 0, c.upgraded);
        }
        adapter.close();
    }
}

// A later process finds the adapter as the upgrade left it, whatever its settings say.
TEST_F(FirmwareTest, StateFolderKeepsTheUpgradedFirmwareAndTheMode) {
    const auto image = FirmwareImage::fromLinkLibrary(libraryPath());
    ASSERT_TRUE(image);
    attach("mode=0331,firmware=old");
    const std::string dir = stateDir().string();
    Session::Timing timing;
    timing.download = fast();
    {
        UpgradeRun run(adapter, control());
        run.run(*image, Worker::outputReportSwitch(0ms), timing);
        EXPECT_EQ(run.result, Worker::Result::Done);
    }
    setenv("TAVRO_EMULATOR", ("mode=0331,firmware=old,state=" + dir).c_str(), 1);
    ASSERT_EQ(adapter.openProgrammer(), 0);
    int mismatch = 1;
    ASSERT_EQ(adapter.checkFirmware(mismatch), 0);
    EXPECT_EQ(mismatch, 0);
    adapter.close();

    // An adapter left in its boot loader shows up there again.
    attach("firmware=old,fault=unplug:4");
    ASSERT_EQ(adapter.openProgrammer(), 0);
    {
        UpgradeRun run(adapter, control());
        run.run(*image, Worker::commandSwitch(), timing);
        EXPECT_EQ(run.ended, Worker::Step::Download);
    }
    setenv("TAVRO_EMULATOR", ("firmware=old,state=" + stateDir().string()).c_str(), 1);
    EXPECT_NE(adapter.openProgrammer(), 0);
    EXPECT_EQ(adapter.openBootLoader(), 0);
    adapter.close();
}

TEST(UpgradeEventTest, ManualResetEventStaysSignalledUntilReset) {
    UpgradeEvent event(UpgradeEvent::kProgrammerName);
    EXPECT_EQ(event.name().rfind("HaldenProgrammer {", 0), 0u);
    EXPECT_EQ(event.wait(1ms), UpgradeEvent::Wait::TimedOut);
    event.set();
    EXPECT_EQ(event.wait(0ms), UpgradeEvent::Wait::Signalled);
    EXPECT_EQ(event.wait(0ms), UpgradeEvent::Wait::Signalled);
    event.reset();
    EXPECT_FALSE(event.signalled());
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        event.set();
    });
    EXPECT_EQ(event.wait(10s), UpgradeEvent::Wait::Signalled);
    setter.join();
}

TEST(FirmwareImageTest, LengthSumAndVersion) {
    const FirmwareImage image({0xFF, 0xFF, 0x01, 0x03, 0x07});
    EXPECT_EQ(image.length(), 5u);
    EXPECT_EQ(image.checksum(), 0xFF + 0xFF + 1 + 3 + 7);
    EXPECT_EQ(image.version(), 0x0307);
    EXPECT_EQ(FirmwareImage(std::vector<std::uint8_t>(0x200, 0xFF)).checksum(),
              static_cast<std::uint16_t>(0x200 * 0xFF));
    EXPECT_FALSE(FirmwareImage({1}).version());
}

} // namespace
} // namespace halden
