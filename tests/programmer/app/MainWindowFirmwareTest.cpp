// The firmware upgrade from the main window, offscreen, against the emulated adapter.
#include "adapter/LinkRecord.h"
#include "programmer/app/MainWindowTemplate.h"
#include "programmer/programming/ui/FirmwareWarningDialog.h"
#include "programmer/programming/ui/StatusPaneProgress.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace halden {
namespace {

using namespace std::chrono_literals;

// Notes when the first result message is shown, on the window's thread.
class ResultMessages : public test::RecordingMessageService {
public:
    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override {
        shownAt = ++(*clock);
        return RecordingMessageService::show(text, caption, style);
    }
    std::atomic<int>* clock = nullptr;
    int shownAt = 0;
};

class MainWindowFirmwareTest : public MainWindowTest {
protected:
    void TearDown() override { unsetenv("TAVRO_EMULATOR"); }
    void plug(const std::string& settings) {
        setenv("TAVRO_EMULATOR", (settings + ",state=" + (dir / "emu").string()).c_str(), 1);
    }

    std::unique_ptr<CProgrammerDlg> openWindow() {
        results.clock = &clock;
        context = std::make_unique<ProgrammerContext>(
            ProgrammerContext{results, settings, &linkLibrary, hexEdit.windowClass(), {}});
        auto window = std::make_unique<CProgrammerDlg>(*context);
        CProgrammerDlg::UpgradeTiming timing;
        timing.download = {0ms, 1ms, 20};
        timing.bootLoaderAttempts = 20;
        timing.bootLoaderRetry = 10ms;
        timing.restartWait = 5000ms;
        timing.donePause = 0ms;
        window->setUpgradeTiming(timing);
        // Every call into the link library, with its thread and the moment it was made.
        window->adapterLink().setRecordSink([this](const LinkRecord& record) {
            const std::lock_guard lock(callsMutex);
            calls.push_back({std::this_thread::get_id(), ++clock, record.what});
        });
        return window;
    }

    // Presses OK on the warning once it is up, then watches the dialog and the pane until
    // a result message or the dialog's stop.
    void pressOkAndWatch(CProgrammerDlg& window) {
        auto* waiting = new QTimer(&window);
        QObject::connect(waiting, &QTimer::timeout, [this, waiting, &window] {
            warning = qobject_cast<FirmwareWarningDialog*>(QApplication::activeModalWidget());
            if (!warning) {
                return;
            }
            waiting->stop();
            startedAt = ++clock;
            warning->findChild<QPushButton*>("1086")->click();
            watch(window);
        });
        waiting->start(1);
    }
    void watch(CProgrammerDlg& window) {
        auto* pane = window.control<QLabel>(MainWindowTemplate::kFilePathPane)
                         ->findChild<StatusPaneProgress*>();
        QObject::connect(pane, &StatusPaneProgress::drawn,
                         [this](int percent) { percents.push_back(percent); });
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, [this, poll, &window] {
            if (warning && warning->isVisible()) {
                buttonsHiddenWhileRunning =
                    buttonsHiddenWhileRunning &&
                    (warning->stopped() || !warning->findChild<QPushButton*>("1086")->isVisible());
                if (warning->stopped()) {
                    stopText = warning->findChild<QLabel*>("1089")->text();
                    screenshot(*warning, "firmware-6-stopped.png");
                    warning->findChild<QPushButton*>("1086")->click();
                }
            }
            if (!triedUpdateTarget && window.upgradeInProgress()) {
                triedUpdateTarget = true;
                window.OnUpdateTarget();
                messagesDuringUpgrade = results.messages.size();
            }
            if (!results.messages.empty() || !stopText.isEmpty()) {
                poll->stop();
            }
        });
        poll->start(0);
    }
    void waitForEnd(CProgrammerDlg& window) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (results.messages.empty() && stopText.isEmpty() && elapsed.elapsed() < 30000) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        (void)window;
    }
    // Saves a picture of the widget when screenshots are asked for.
    static void screenshot(QWidget& widget, const std::string& name) {
        if (const char* folder = std::getenv("HALDEN_SCREENSHOT_DIR")) {
            widget.grab().save(QString::fromStdString(std::string(folder) + "/" + name));
        }
    }
    // Calls made on the window's thread after OK and before the result message.
    std::vector<std::string> windowCallsDuringUpgrade() {
        const std::lock_guard lock(callsMutex);
        std::vector<std::string> found;
        for (const auto& call : calls) {
            if (call.thread == std::this_thread::get_id() && call.at > startedAt &&
                (results.shownAt == 0 || call.at < results.shownAt)) {
                found.push_back(call.what);
            }
        }
        return found;
    }
    std::size_t workerCalls() {
        const std::lock_guard lock(callsMutex);
        return std::count_if(calls.begin(), calls.end(), [](const Call& call) {
            return call.thread != std::this_thread::get_id();
        });
    }
    bool adapterMatches(CProgrammerDlg& window) {
        AdapterLink& link = window.adapterLink();
        int mismatch = 1;
        const bool ok = link.openProgrammer() == 0 && link.checkFirmware(mismatch) == 0;
        link.close();
        return ok && mismatch == 0;
    }
    std::vector<std::string> texts() const { return results.lines(); }

    struct Call {
        std::thread::id thread;
        int at;
        std::string what;
    };
    test::TempDir dir;
    ResultMessages results;
    std::atomic<int> clock{0};
    std::mutex callsMutex;
    std::vector<Call> calls;
    int startedAt = 0;
    QPointer<FirmwareWarningDialog> warning;
    std::vector<int> percents;
    bool buttonsHiddenWhileRunning = true;
    bool triedUpdateTarget = false;
    std::size_t messagesDuringUpgrade = 0;
    QString stopText;
};

TEST_F(MainWindowFirmwareTest, OkUpgradesTheAdapterFromTheWorkerAlone) {
    plug("firmware=old");
    auto window = openWindow();
    window->show();
    pressOkAndWatch(*window);
    window->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0325#1");
    waitForEnd(*window);

    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Tavro is upgraded !"});
    EXPECT_EQ(results.messages.at(0).style.icon, MessageIcon::Information);
    EXPECT_TRUE(buttonsHiddenWhileRunning);
    EXPECT_TRUE(warning.isNull()) << "the dialog closed itself after the download";
    // 0, rises of more than one point, 100, then cleared.
    ASSERT_GE(percents.size(), 4u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents[percents.size() - 2], 100);
    EXPECT_EQ(percents.back(), -1);
    for (std::size_t i = 1; i + 2 < percents.size(); ++i) {
        EXPECT_GT(percents[i] - percents[i - 1], 1);
    }
    EXPECT_TRUE(triedUpdateTarget);
    EXPECT_EQ(messagesDuringUpgrade, 0u) << "Update Target was refused without a word";
    EXPECT_EQ(windowCallsDuringUpgrade(), std::vector<std::string>{});
    EXPECT_GT(workerCalls(), 10u);
    EXPECT_FALSE(window->upgradeInProgress());
    EXPECT_FALSE(window->busy());
    EXPECT_TRUE(adapterMatches(*window));
}

TEST_F(MainWindowFirmwareTest, ForcedUpgradeFromAnAdapterNeedingFirmware) {
    plug("mode=0331,firmware=old");
    auto window = openWindow();
    window->show();
    pressOkAndWatch(*window);
    window->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0331#1");
    waitForEnd(*window);

    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Tavro is upgraded !"});
    EXPECT_FALSE(window->detection().forcedUpgrade()) << "cleared by the success";
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const Call& call) {
        return call.what == "switch output report" && call.thread != std::this_thread::get_id();
    })) << "forced mode switches by the output report";
    EXPECT_EQ(windowCallsDuringUpgrade(), std::vector<std::string>{});
    EXPECT_TRUE(adapterMatches(*window));
}

// A download that fails ends without a result message: the dialog stops, says where and
// what to do, and the next arrival of the adapter gets its check again.
TEST_F(MainWindowFirmwareTest, FailedDownloadStopsTheDialogWithItsStep) {
    plug("firmware=old,fault=bootswap");
    auto window = openWindow();
    window->show();
    pressOkAndWatch(*window);
    window->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0325#1");
    waitForEnd(*window);

    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(stopText, "The firmware upgrade did not finish: the download failed. Unplug the "
                        "Tavro and plug it in again to be offered the upgrade again.");
    EXPECT_FALSE(window->upgradeInProgress());
    EXPECT_FALSE(window->detection().forcedUpgrade());
    EXPECT_EQ(windowCallsDuringUpgrade(), std::vector<std::string>{});
}

// The Restart is taken but the adapter stays in its boot loader: after the wait the bus
// still shows it, so the upgrade failed; the window is free again for the next try.
TEST_F(MainWindowFirmwareTest, BootLoaderStillThereAfterTheRestartWaitIsAFailure) {
    plug("firmware=old,fault=restart:stay");
    auto window = openWindow();
    CProgrammerDlg::UpgradeTiming timing;
    timing.download = {0ms, 1ms, 20};
    timing.bootLoaderRetry = 10ms;
    timing.restartWait = 300ms;
    timing.donePause = 0ms;
    window->setUpgradeTiming(timing);
    window->show();
    pressOkAndWatch(*window);
    window->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0325#1");
    waitForEnd(*window);

    EXPECT_EQ(texts(), std::vector<std::string>{"[Error !] Tavro reset to AP fail !"});
    EXPECT_EQ(results.messages.at(0).style.icon, MessageIcon::Error);
    EXPECT_FALSE(window->upgradeInProgress());
    EXPECT_FALSE(window->busy());
    EXPECT_FALSE(adapterMatches(*window));
    EXPECT_EQ(window->adapterLink().openBootLoader(), 0);
    window->adapterLink().close();
}

// The warning dialog and the status pane through an upgrade at the adapter's own pace and
// with the waits as shipped: offered, animating, the bar in the pane, the final frame. With
// HALDEN_SCREENSHOT_DIR set, each stage is saved there as a picture.
TEST_F(MainWindowFirmwareTest, ScreenshotSequenceOfAnUpgrade) {
    plug("firmware=old,latency=usb-fs");
    auto window = openWindow();
    CProgrammerDlg::UpgradeTiming timing;
    timing.donePause = 0ms;
    window->setUpgradeTiming(timing); // the waits as shipped
    window->show();
    auto* pane = window->control<QLabel>(MainWindowTemplate::kFilePathPane)
                     ->findChild<StatusPaneProgress*>();
    std::vector<std::string> shots;
    auto* poll = new QTimer(window.get());
    QElapsedTimer sinceOk;
    QObject::connect(poll, &QTimer::timeout, [&] {
        if (!warning) {
            warning = qobject_cast<FirmwareWarningDialog*>(QApplication::activeModalWidget());
            if (warning) {
                screenshot(*warning, "firmware-1-offered.png");
                shots.push_back("offered");
                warning->findChild<QPushButton*>("1086")->click();
                sinceOk.start();
            }
            return;
        }
        if (shots.size() == 1 && sinceOk.elapsed() > 450) {
            screenshot(*warning, "firmware-2-animating.png");
            shots.push_back("animating");
        }
        if (shots.size() == 2 && pane->percent().value_or(0) >= 40) {
            screenshot(*window, "firmware-3-progress.png");
            shots.push_back("progress " + std::to_string(*pane->percent()));
        }
        if (shots.size() == 3 && warning->findChild<QLabel*>("1096")->isVisible()) {
            screenshot(*warning, "firmware-4-loaded.png");
            shots.push_back("loaded");
        }
    });
    poll->start(1);
    window->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0325#1");
    waitForEnd(*window);
    poll->stop();
    screenshot(*window, "firmware-5-done.png");
    ASSERT_EQ(shots.size(), 4u);
    EXPECT_EQ(shots[1], "animating");
    EXPECT_EQ(shots[3], "loaded");
    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Tavro is upgraded !"});
}

} // namespace
} // namespace halden
