#include "programmer/programming/AdapterDetection.h"
#include "tests/programmer/programming/LinkFixture.h"

#include <gtest/gtest.h>

namespace halden::test {
namespace {

using Kind = AdapterDetection::PathKind;

TEST(AdapterDetection, PathsMatchTheirPrefixIgnoringCase) {
    struct Case {
        std::string path;
        Kind kind;
    };
    const Case cases[] = {
        {"\\\\?\\HID#Vid_2e7b&Pid_0325#7&1a2b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
         Kind::Programmer},
        {"\\\\?\\hid#vid_2e7b&pid_0fff#1", Kind::Recovery},
        {"\\\\?\\HID#VID_2E7B&PID_0331#x", Kind::NeedsFirmware},
        {"\\\\?\\HID#Vid_2e7b&Pid_030B#", Kind::BootLoader},
        {"\\\\?\\HID#Vid_2e7b&Pid_0326#", Kind::Other},
        {"\\\\?\\HID#Vid_2e7b&Pid_0325", Kind::Other}, // shorter than the prefix
        {"", Kind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AdapterDetection::classify(c.path), c.kind) << c.path;
    }
}

class AdapterDetectionTest : public LinkTest {
protected:
    void arm(const std::string& settings) {
        setenv("TAVRO_EMULATOR", settingsFor(settings).c_str(), 1);
    }
    std::string pathOf(const char* pid) {
        return std::string("\\\\?\\hid#vid_2e7b&pid_") + pid + "#1";
    }

    RecordingUi ui;
    AdapterDetection detection{adapter, ui, text};
};

TEST_F(AdapterDetectionTest, ArrivalsCheckTheFirmwareByMode) {
    arm("firmware=old");
    detection.arrived(pathOf("0325"));
    EXPECT_EQ(ui.warnings, std::vector<bool>{false});
    EXPECT_EQ(link.HidDevice->handle, nullptr); // the check closed the link again

    detection.arrived(pathOf("0fff"));
    EXPECT_EQ(ui.warnings, (std::vector<bool>{false, true}));
    EXPECT_TRUE(detection.forcedUpgrade());

    // A programmer-mode arrival during an upgrade gets no check at all.
    detection.setUpgradeInProgress(true);
    detection.arrived(pathOf("0325"));
    EXPECT_EQ(ui.warnings.size(), 2u);
    EXPECT_EQ(ui.filePathShown, 3);
}

TEST_F(AdapterDetectionTest, ProbeFindsTheAdapterInEitherMode) {
    arm("mode=0FFF");
    detection.probe();
    EXPECT_EQ(ui.warnings, std::vector<bool>{true});
    EXPECT_TRUE(detection.forcedUpgrade());

    AdapterDetection fresh(adapter, ui, text);
    ui.warnings.clear();
    arm("offline=0");
    fresh.probe();
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_TRUE(ui.programmerDisabled);
    EXPECT_EQ(link.HidDevice->handle, nullptr);

    // Started to upgrade: the probe runs the forced check on a programmer-mode adapter.
    AdapterDetection forced(adapter, ui, text);
    forced.setForcedUpgrade(true);
    arm("");
    forced.probe();
    EXPECT_EQ(ui.warnings, std::vector<bool>{true});
    EXPECT_EQ(ui.filePathShown, 3); // each probe emptied the pane and put the path back
}

// An adapter left in its boot loader by an upgrade that did not finish is offered the
// forced upgrade when it shows up again, but not while an upgrade runs.
TEST_F(AdapterDetectionTest, AdapterInItsBootLoaderGetsTheForcedUpgrade) {
    arm("mode=boot");
    detection.probe();
    EXPECT_EQ(ui.warnings, std::vector<bool>{true});
    EXPECT_TRUE(detection.forcedUpgrade());

    AdapterDetection fresh(adapter, ui, text);
    fresh.arrived(pathOf("030b"));
    EXPECT_EQ(ui.warnings, (std::vector<bool>{true, true}));
    fresh.setUpgradeInProgress(true);
    fresh.arrived(pathOf("030B"));
    EXPECT_EQ(ui.warnings.size(), 2u);
}

TEST_F(AdapterDetectionTest, BootLoaderLeavingSignalsOnlyDuringAnUpgrade) {
    EXPECT_FALSE(detection.removed(pathOf("030b")));
    detection.setUpgradeInProgress(true);
    EXPECT_TRUE(detection.removed(pathOf("030B")));
    EXPECT_FALSE(detection.removed(pathOf("0325")));
}

} // namespace
} // namespace halden::test
