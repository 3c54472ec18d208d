// halden against emulated adapters on the real USB path: tavro_hidraw shows them as
// /dev/hidrawN, and halden finds them through hidapi and udev as plugged ones.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace halden {
namespace {

using namespace std::chrono_literals;

struct HidrawRun {
    int code = -1;
    std::string output; // standard output and error together
    std::chrono::milliseconds took{};
};

// A shell command under tavro_hidraw with these emulator settings; $HALDEN is halden.
HidrawRun runOnHidraw(const std::string& settings, const std::string& shellCommand) {
    const std::string bin = HALDEN_BIN_DIR;
    const std::string command = "env -u TAVRO_EMULATOR HALDEN=" + bin + "/halden " + bin +
                                "/tavro_hidraw " + settings + " -- sh -c '" + shellCommand +
                                "' 2>&1";
    const auto start = std::chrono::steady_clock::now();
    HidrawRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    return run;
}

// halden ARGUMENTS under tavro_hidraw with these emulator settings.
HidrawRun haldenOnHidraw(const std::string& settings, const std::string& arguments) {
    return runOnHidraw(settings, "exec $HALDEN " + arguments);
}

std::vector<char> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HaldenHidrawTest : public testing::Test {
protected:
    // A 256 KiB image of seeded noise: every report of the data phase carries other bytes.
    std::filesystem::path image() {
        const auto path = dir / "image.bin";
        std::mt19937 noise(25);
        std::vector<char> bytes(256 * 1024);
        for (char& byte : bytes) {
            byte = static_cast<char>(noise());
        }
        std::ofstream(path, std::ios::binary).write(bytes.data(), long(bytes.size()));
        return path;
    }
    std::string state(const std::string& name) { return "state=" + (dir / name).string(); }

    test::TempDir dir;
};

TEST_F(HaldenHidrawTest, ProgramsVerifiesAndReadsBack256KiBThroughHidapi) {
    const auto file = image().string();
    const std::string settings = "target=RQD-4," + state("emu");
    const HidrawRun program = haldenOnHidraw(settings, "--verbose program --part RQD-4 " + file);
    ASSERT_EQ(program.code, 0) << program.output;
    EXPECT_NE(program.output.find("[Pass !] Update Target ok !"), std::string::npos);
    // The link opened the hidraw node hidapi found, and the transactions went to it.
    const auto opened = program.output.find("halden: link: open adapter in programmer mode: ok");
    ASSERT_NE(opened, std::string::npos) << program.output;
    const std::string openLine =
        program.output.substr(opened, program.output.find('\n', opened) - opened);
    EXPECT_NE(openLine.find("Pid_0325#hidraw0#"), std::string::npos) << openLine;
    EXPECT_NE(program.output.find("CMD_PROGRAM_CODE (0x19)", opened), std::string::npos);

    const HidrawRun verify = haldenOnHidraw(settings, "verify --part RQD-4 " + file);
    EXPECT_EQ(verify.code, 0) << verify.output;
    const auto chip = dir / "chip.bin";
    const HidrawRun readBack =
        haldenOnHidraw(settings, "read --part RQD-4 --length 262144 -o " + chip.string());
    ASSERT_EQ(readBack.code, 0) << readBack.output;
    EXPECT_EQ(bytesOf(chip), bytesOf(file));
}

TEST_F(HaldenHidrawTest, StoresTheOfflineProjectThroughHidapi) {
    const HidrawRun store =
        haldenOnHidraw("target=RQD-1," + state("emu"),
                       "store --part RQD-1 " + std::string(HALDEN_SOURCE_DIR) +
                           "/resources/samples/sample.hex --max-counter 10 --json");
    EXPECT_EQ(store.code, 0) << store.output;
    EXPECT_TRUE(std::filesystem::file_size(dir / "emu" / "stored-code.bin") > 0) << store.output;
}

// The upgrade switches the adapter to its boot loader, which re-enumerates as another
// hidraw node, and back: the next run finds the adapter in programmer mode with the
// library's firmware.
TEST_F(HaldenHidrawTest, UpgradesOldFirmwareThroughTheBootLoadersReEnumeration) {
    const std::string settings = "firmware=old," + state("emu");
    const HidrawRun upgrade = haldenOnHidraw(settings, "firmware upgrade");
    ASSERT_EQ(upgrade.code, 0) << upgrade.output;
    EXPECT_NE(upgrade.output.find("[Pass !] Tavro is upgraded !"), std::string::npos);
    const HidrawRun after = haldenOnHidraw(settings, "firmware");
    EXPECT_EQ(after.code, 0) << after.output;
    EXPECT_NE(after.output.find("adapter: programmer"), std::string::npos) << after.output;
    EXPECT_NE(after.output.find("firmware: match"), std::string::npos) << after.output;
}

TEST_F(HaldenHidrawTest, GangProgramsFourAdaptersEachOnItsOwnNode) {
    const auto file = image().string();
    const std::string settings = "target=RQD-4,adapters=4," + state("gang");
    const HidrawRun gang = haldenOnHidraw(settings, "gang program --part RQD-4 " + file);
    ASSERT_EQ(gang.code, 0) << gang.output;
    for (int node = 0; node < 4; ++node) {
        EXPECT_NE(gang.output.find("Pid_0325#hidraw" + std::to_string(node) + "#"),
                  std::string::npos)
            << gang.output;
    }
    for (int k = 1; k <= 4; ++k) {
        const auto flash = bytesOf(dir / "gang" / ("adapter-" + std::to_string(k)) / "flash.bin");
        const auto wanted = bytesOf(file);
        ASSERT_GE(flash.size(), wanted.size());
        EXPECT_TRUE(std::equal(wanted.begin(), wanted.end(), flash.begin())) << "adapter " << k;
    }
}

// tavro_hidraw's SIGUSR1 takes the adapters off the bus and SIGUSR2 plugs them back in,
// as new nodes; the programs it runs find them gone and back.
TEST_F(HaldenHidrawTest, SignalsUnplugAndReplugTheAdapters) {
    // The signal is taken on its own thread: each step waits (5 s at most) until the
    // change shows.
    const HidrawRun run = runOnHidraw(
        "adapters=2", "$HALDEN adapters; kill -USR1 $PPID; i=0; "
                      "while $HALDEN adapters >/dev/null && [ $i -lt 100 ]; do i=$((i+1)); done; "
                      "$HALDEN adapters || echo none; kill -USR2 $PPID; i=0; "
                      "until $HALDEN adapters >/dev/null || [ $i -ge 100 ]; do i=$((i+1)); done; "
                      "$HALDEN adapters");
    EXPECT_EQ(run.code, 0) << run.output;
    const auto none = run.output.find("none\n");
    ASSERT_NE(none, std::string::npos) << run.output;
    for (const char* before : {"Pid_0325#hidraw0#", "Pid_0325#hidraw1#"}) {
        EXPECT_LT(run.output.find(before), none) << before << "\n" << run.output;
    }
    for (const char* after : {"Pid_0325#hidraw2#", "Pid_0325#hidraw3#"}) {
        const auto at = run.output.find(after);
        EXPECT_TRUE(at != std::string::npos && at > none) << after << "\n" << run.output;
    }
}

// What the kernel shows when things go wrong, each ending the operation with the
// system's message, the link closed, and no wait beyond the reply time-out.
TEST_F(HaldenHidrawTest, FailsCleanlyOnRemovalTimeOutRefusalAndAStrayReport) {
    struct Case {
        const char* name;
        const char* fault;
        const char* message;
        const char* record; // in the verbose failure record
        std::chrono::milliseconds within;
    };
    const Case cases[] = {
        {"removed in the data phase", "unplug:20", "[Error !] Update Target failed !",
         "the adapter left the bus", 3000ms},
        {"a reply that never comes", "drop:0x19", "[Error !] Update Target failed !",
         "within 4000 ms", 9000ms},
        {"a feature report refused", "refuse:3", "[Error !] Update Target failed !",
         "the adapter refused data report 4 of 2048", 9000ms},
        // An unnumbered device cannot send report 1: the stray report is one of another
        // length, which the handle drops as the platform's invalid data.
        {"an input report that is not a reply", "badreport:0x23", "[Error !] Target is not exist !",
         "an input report of 64 bytes came, not 65", 3000ms},
    };
    const auto file = image().string();
    for (const auto& c : cases) {
        const HidrawRun run = haldenOnHidraw(std::string("target=RQD-4,fault=") + c.fault,
                                             "--verbose program --part RQD-4 " + file);
        EXPECT_EQ(run.code, 1) << c.name << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.name;
        EXPECT_NE(run.output.find(c.record), std::string::npos) << c.name << "\n" << run.output;
        EXPECT_NE(run.output.find("close the adapter: ok"), std::string::npos) << c.name;
        EXPECT_LT(run.took, c.within) << c.name;
    }
}

} // namespace
} // namespace halden
