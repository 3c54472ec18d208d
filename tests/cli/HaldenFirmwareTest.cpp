// halden firmware and halden firmware upgrade, run as processes against the emulator.
#include "tests/cli/HaldenProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace halden {
namespace {

using Process = test::HaldenProcess;

Process halden(const std::string& emulator, const std::string& arguments) {
    return test::runHalden(emulator, arguments);
}

TEST(HaldenFirmware, ShowsModeFirmwareAndCarriedVersion) {
    test::TempDir dir;
    const std::string state = ",state=" + (dir / "emu").string();
    EXPECT_EQ(halden("firmware=old" + state, "firmware --json").output,
              "{\"mode\":\"programmer\",\"firmware\":\"mismatch\",\"carriedVersion\":\"1.5\"}\n");
    EXPECT_EQ(halden("mode=0FFF" + state + "2", "firmware").output,
              "adapter: recovery\nfirmware: mismatch\ncarried version: 1.5\n");
    const Process none = halden("", "firmware");
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.output.find("halden: no adapter found"), std::string::npos) << none.output;
    EXPECT_EQ(halden("", "firmware downgrade").code, 2);
}

// Each upgrade as a separate process, side by side; then a later process finds the
// adapter as the upgrade left it.
TEST(HaldenFirmware, UpgradeEndsWithItsResultOrSaysWhereItStopped) {
    struct Case {
        const char* settings;
        int code;
        std::string output;
        const char* after; // what halden firmware --json then says of mode and firmware
    };
    const std::vector<Case> cases = {
        {"firmware=old", 0, "[Pass !] Tavro is upgraded !\n",
         "\"programmer\",\"firmware\":\"match\""},
        {"mode=0331,firmware=old", 0, "[Pass !] Tavro is upgraded !\n",
         "\"programmer\",\"firmware\":\"match\""},
        {"mode=boot,firmware=old", 0, "[Pass !] Tavro is upgraded !\n",
         "\"programmer\",\"firmware\":\"match\""},
        {"firmware=current,fault=restart:refuse", 0, "[Pass !] Tavro is upgraded !\n",
         "\"programmer\",\"firmware\":\"match\""},
        // The wait runs its 20 s without a removal, and the boot loader is still there.
        {"firmware=old,fault=restart:stay", 1,
         "[Error !] Tavro reset to AP fail !\nhalden: the operation failed after restarting the "
         "adapter with its new firmware (boot loader Restart report)\n",
         "\"boot-loader\",\"firmware\":\"mismatch\""},
        {"firmware=old,fault=bootswap", 1,
         "halden: the firmware upgrade stopped at the download: the boot loader's checksum "
         "differs from the image's\n",
         "\"boot-loader\",\"firmware\":\"mismatch\""},
    };
    test::TempDir dir;
    std::vector<FILE*> started;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        started.push_back(test::startHalden(std::string(cases[i].settings) +
                                                ",state=" + (dir / std::to_string(i)).string(),
                                            "firmware upgrade"));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].settings);
        const Process run = test::finishHalden(started[i]);
        EXPECT_EQ(run.code, cases[i].code);
        EXPECT_EQ(run.output, cases[i].output);
        // The settings say otherwise; the state folder holds what the upgrade left.
        const Process after =
            halden("mode=0FFF,firmware=old,state=" + (dir / std::to_string(i)).string(),
                   "firmware --json");
        EXPECT_NE(after.output.find(std::string("{\"mode\":") + cases[i].after), std::string::npos)
            << after.output;
    }
}

TEST(HaldenFirmware, UpgradeJsonAndNoAdapter) {
    test::TempDir dir;
    const Process forced =
        halden("mode=0FFF,firmware=old,state=" + (dir / "emu").string(), "firmware upgrade --json");
    EXPECT_EQ(forced.code, 0);
    EXPECT_NE(forced.output.find("{\"mode\":\"recovery\",\"forced\":true,\"result\":\"upgraded\","
                                 "\"step\":\"\",\"carriedVersion\":\"1.5\"}"),
              std::string::npos)
        << forced.output;
    const Process none = halden("", "firmware upgrade");
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.output.find("halden: no adapter found"), std::string::npos) << none.output;
}

} // namespace
} // namespace halden
