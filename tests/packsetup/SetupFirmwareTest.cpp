// Button 1007: the adapter firmware upgrade from the setup window, offscreen, against the
// emulated adapter through the real link library, with shortened waits.
#include "adapter/LinkRecord.h"
#include "adapter/UpgradeEvent.h"
#include "adapter/hid/EmulatorControl.h"
#include "adapter/wire/IceLayout.h"
#include "packsetup/SetupDialogTemplate.h"
#include "packsetup/qt/ProgressStrip.h"
#include "packsetup/qt/SetupApp.h"
#include "tests/packsetup/SetupFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace halden {
namespace {

using namespace std::chrono_literals;
using T = SetupDialogTemplate;

// Notes how long after the strip's last paint each message came.
class TimedMessages : public test::RecordingMessageService {
public:
    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override {
        sinceLastPaint.push_back(lastPaint.isValid() ? lastPaint.elapsed() : -1);
        stripTexts.push_back(strip != nullptr ? strip->text() : QString("?"));
        return RecordingMessageService::show(text, caption, style);
    }
    QElapsedTimer lastPaint;
    QLabel* strip = nullptr;
    std::vector<qint64> sinceLastPaint;
    std::vector<QString> stripTexts;
};

class SetupFirmwareTest : public test::SetupWindowFixture {
protected:
    void SetUp() override { ASSERT_TRUE(app.loadLinkLibrary(HALDEN_BIN_DIR)); }
    void TearDown() override { unsetenv("TAVRO_EMULATOR"); }

    void plug(const std::string& settings) {
        setenv("TAVRO_EMULATOR", (settings + ",state=" + (state / "emu").string()).c_str(), 1);
    }
    EmulatorControl* emulator() {
        using ControlFn = EmulatorControl* (*)();
        auto fn = reinterpret_cast<ControlFn>(app.linkLibrary().symbol(kEmulatorControlExport));
        return fn ? fn() : nullptr;
    }

    std::unique_ptr<SetupDialog> openWindow(std::chrono::milliseconds restartWait) {
        context = std::make_unique<SetupContext>(
            SetupContext{timed, desktop, programFolder.path().string(), &app.linkLibrary()});
        auto window = std::make_unique<SetupDialog>(*context);
        SetupDialog::UpgradeTiming timing;
        timing.download = {0ms, 1ms, 20};
        timing.bootLoaderAttempts = 20;
        timing.bootLoaderRetry = 10ms;
        timing.restartWait = restartWait;
        timing.donePause = 400ms;
        window->setUpgradeTiming(timing);
        window->adapterLink().setRecordSink([this](const LinkRecord& record) {
            if (std::this_thread::get_id() == windowThread) {
                const std::lock_guard lock(callsMutex);
                windowCalls.push_back(record.what);
            }
            if (record.what == "boot loader Restart report") {
                restartSent = true;
            }
        });
        timed.strip = window->control<QLabel>(T::kProgressStrip);
        QObject::connect(&window->progressStrip(), &ProgressStrip::painted, [this](int percent) {
            percents.push_back(percent);
            timed.lastPaint.start();
        });
        window->show();
        // The strip paints only once the window is on screen; a loaded machine takes a
        // moment to get it there.
        EXPECT_TRUE(runUntil([&] { return window->windowHandle()->isExposed(); }, 5000));
        if (EmulatorControl* control = emulator()) {
            control->resetStatistics();
        }
        return window;
    }
    void press(SetupDialog& window) { window.control<QPushButton>(T::kUpgradeFirmware)->click(); }
    bool waitForMessage(int milliseconds = 30000) {
        return runUntil([this] { return !timed.messages.empty(); }, milliseconds);
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> all;
        for (const auto& message : timed.messages) {
            all.push_back("[" + message.caption + "] " + message.text);
        }
        return all;
    }
    bool adapterUpgraded(SetupDialog& window) {
        AdapterLink& link = window.adapterLink();
        int mismatch = 1;
        const bool ok = link.openProgrammer() == 0 && link.checkFirmware(mismatch) == 0;
        link.close();
        return ok && mismatch == 0;
    }
    void expectPassed(SetupDialog& window) {
        EXPECT_EQ(shown(), std::vector<std::string>{"[Pass !] Tavro is upgraded !"});
        ASSERT_EQ(timed.messages.size(), 1u);
        EXPECT_EQ(timed.messages[0].style.icon, MessageIcon::Information);
        EXPECT_EQ(timed.stripTexts.at(0), "") << "the strip is emptied before the pause";
        EXPECT_GE(timed.sinceLastPaint.at(0), 400) << "the pause before the message";
        EXPECT_FALSE(window.upgradeInProgress());
        EXPECT_EQ(window.upgradeEvent(), nullptr);
    }

    SetupApp app{messages, desktop};
    TimedMessages timed;
    test::TempDir state;
    const std::thread::id windowThread = std::this_thread::get_id();
    std::mutex callsMutex;
    std::vector<std::string> windowCalls;
    std::atomic<bool> restartSent{false};
    std::vector<int> percents;
};

TEST_F(SetupFirmwareTest, NoAdapterShowsNothing) {
    unsetenv("TAVRO_EMULATOR"); // real adapters only, and none is plugged in
    auto window = openWindow(5000ms);
    press(*window);
    runFor(300);
    EXPECT_TRUE(timed.messages.empty());
    EXPECT_FALSE(window->upgradeInProgress());
    EXPECT_TRUE(percents.empty());
    EXPECT_EQ(windowCalls, (std::vector<std::string>{"open adapter in programmer mode",
                                                     "open adapter in boot-loader mode (0x030B)"}));
}

// The strip fills in steps of two points or more, is emptied, the window pauses, then the
// message; a second press meanwhile does nothing, and the worker alone talks to the
// adapter after the first open.
TEST_F(SetupFirmwareTest, SuccessFillsTheStripThenPausesThenPasses) {
    plug("firmware=old");
    auto window = openWindow(10000ms);
    press(*window);
    EXPECT_TRUE(window->upgradeInProgress());
    ASSERT_NE(window->upgradeEvent(), nullptr);
    EXPECT_EQ(window->upgradeEvent()->name(),
              "SetupCorvaneM3 {B3E7C1A4-5D29-4F86-9A0B-7C2E14D8F53B}");
    press(*window);
    ASSERT_TRUE(waitForMessage());

    expectPassed(*window);
    ASSERT_GE(percents.size(), 4u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents[percents.size() - 2], 100);
    EXPECT_EQ(percents.back(), -1);
    // The rises before the final 100 (which the last rise may already have reached).
    for (std::size_t i = 1; i + 2 < percents.size(); ++i) {
        EXPECT_GE(percents[i] - percents[i - 1], 2) << i;
    }
    EXPECT_EQ(windowCalls, std::vector<std::string>{"open adapter in programmer mode"})
        << "the second press made no call";
    EXPECT_EQ(emulator()->statistics().cancels, 0u) << "the removal ended the wait";
    EXPECT_TRUE(adapterUpgraded(*window));
}

TEST_F(SetupFirmwareTest, RefusedRestartWithARemovalCountsAsSuccess) {
    plug("firmware=old,fault=restart:refuse");
    auto window = openWindow(10000ms);
    press(*window);
    ASSERT_TRUE(waitForMessage());
    expectPassed(*window);
    EXPECT_EQ(emulator()->statistics().cancels, 0u) << "the removal ended the wait";
    EXPECT_TRUE(adapterUpgraded(*window));
}

// The wait ends without a removal and the boot loader is still on the bus: the restart
// failed, whatever the Restart report's own result.
TEST_F(SetupFirmwareTest, AcceptedRestartWithTheBootLoaderStillThereFails) {
    plug("firmware=old,fault=restart:stay");
    auto window = openWindow(300ms);
    press(*window);
    ASSERT_TRUE(waitForMessage());
    EXPECT_EQ(shown(), std::vector<std::string>{"[Error !] Tavro reset to AP fail !"});
    EXPECT_EQ(timed.messages.at(0).style.icon, MessageIcon::Error);
    EXPECT_EQ(emulator()->statistics().cancels, 1u) << "the wait timed out";
    EXPECT_FALSE(window->upgradeInProgress());
    EXPECT_FALSE(adapterUpgraded(*window));
    AdapterLink& link = window->adapterLink();
    EXPECT_EQ(link.openBootLoader(), 0);
    link.close();
}

// While the worker waits after its Restart: another device leaving the bus does not end
// the wait; the boot loader's path in other letter case does.
TEST_F(SetupFirmwareTest, OnlyTheBootLoaderRemovalEndsTheWaitWhateverItsCase) {
    plug("firmware=old,fault=restart:stay");
    auto window = openWindow(20000ms);
    press(*window);
    ASSERT_TRUE(runUntil([this] { return restartSent.load(); }, 30000));
    ASSERT_NE(window->upgradeEvent(), nullptr);
    window->OnDeviceRemoval("\\\\?\\HID#Vid_046d&Pid_c52b&MI_01#7&2a1b&0&0000#{4d1e55b2}");
    window->OnDeviceRemoval("\\\\?\\HID#Vid_2e7b&Pid_0325#1");
    EXPECT_FALSE(window->upgradeEvent()->signalled());
    runFor(300);
    EXPECT_TRUE(timed.messages.empty()) << "still waiting";

    QElapsedTimer sinceRemoval;
    sinceRemoval.start();
    window->OnDeviceRemoval("\\\\?\\hid#VID_2E7B&PID_030B#1");
    ASSERT_TRUE(waitForMessage());
    EXPECT_LT(sinceRemoval.elapsed(), 10000);
    expectPassed(*window);
    EXPECT_EQ(emulator()->statistics().cancels, 0u) << "the wait ended without a time-out";
}

// A download the boot loader does not confirm leaves the adapter in its boot loader and
// says so; the strip ends blank, the link is closed, and the next press finds the boot
// loader and downloads again, without the switch.
TEST_F(SetupFirmwareTest, FailedDownloadIsToldAndTheNextPressRecoversTheBootLoader) {
    plug("firmware=old,fault=bootswap");
    auto window = openWindow(10000ms);
    press(*window);
    ASSERT_TRUE(waitForMessage());
    EXPECT_EQ(shown(), std::vector<std::string>{
                           "[Error !] The firmware upgrade did not finish: the download failed. "
                           "Unplug the Tavro and plug it in again, then press \"Update Tavro "
                           "Firmware for M3\" again."});
    EXPECT_EQ(timed.messages.at(0).style.icon, MessageIcon::Error);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), -1);
    EXPECT_FALSE(window->upgradeInProgress());
    EXPECT_FALSE(window->adapterLink().isOpen());
    EXPECT_EQ(window->upgradeEvent(), nullptr);

    plug("firmware=old"); // the same adapter, its boot loader mended
    {
        const std::lock_guard lock(callsMutex);
        windowCalls.clear();
    }
    press(*window);
    ASSERT_TRUE(runUntil([this] { return timed.messages.size() == 2; }, 30000));
    EXPECT_EQ(shown().back(), "[Pass !] Tavro is upgraded !");
    EXPECT_EQ(windowCalls, (std::vector<std::string>{"open adapter in programmer mode",
                                                     "open adapter in boot-loader mode (0x030B)"}));
    EXPECT_TRUE(adapterUpgraded(*window));
}

// The switch goes as the command block's bytes through ICE_Write; the two entries the
// tool never calls are not bound.
TEST_F(SetupFirmwareTest, SwitchIsWrittenThroughTheCommandBlockWithSevenEntriesBound) {
    plug("firmware=old");
    auto window = openWindow(10000ms);
    const LinkExports& bound = window->linkExports();
    EXPECT_TRUE(window->linkBound());
    EXPECT_EQ(bound.ICE_Send_Command, nullptr);
    EXPECT_EQ(bound.ICE_Read_Data, nullptr);
    ASSERT_NE(bound.Ice, nullptr);
    std::fill(bound.Ice, bound.Ice + IceLayout::kLength + 8, std::uint8_t{0});
    press(*window);
    ASSERT_TRUE(waitForMessage());
    expectPassed(*window);
    EXPECT_EQ(bound.Ice[IceLayout::kCommand], 9);
    EXPECT_EQ(bound.Ice[IceLayout::kParameter0], 0x20);
    EXPECT_EQ(bound.Ice[IceLayout::kParameter1], 0x86);
    const auto commands = emulator()->statistics().commands;
    EXPECT_EQ(commands, std::vector<std::uint8_t>{9});
}

// The flag is down between upgrades: a boot-loader removal then signals nothing, and a
// later press starts again.
TEST_F(SetupFirmwareTest, AfterTheResultAnotherPressStartsAgain) {
    plug("firmware=old");
    auto window = openWindow(10000ms);
    press(*window);
    ASSERT_TRUE(waitForMessage());
    window->OnDeviceRemoval("\\\\?\\HID#Vid_2e7b&Pid_030b#1");
    EXPECT_EQ(window->upgradeEvent(), nullptr);
    press(*window);
    EXPECT_TRUE(window->upgradeInProgress());
    ASSERT_TRUE(runUntil([this] { return timed.messages.size() == 2; }, 30000));
    EXPECT_EQ(shown(), std::vector<std::string>(2, "[Pass !] Tavro is upgraded !"));
}

} // namespace
} // namespace halden
