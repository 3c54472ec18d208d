#include "tests/cli/HaldenProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <unistd.h>

namespace halden {
namespace {

using ProcessResult = test::HaldenProcess;
using test::finishHalden;
using test::startHalden;

ProcessResult halden(const std::string& emulator, const std::string& arguments) {
    return test::runHalden(emulator, arguments);
}

std::string lastLine(const std::string& output) {
    const auto end = output.find_last_not_of('\n');
    if (end == std::string::npos) {
        return {};
    }
    const auto begin = output.rfind('\n', end);
    return output.substr(begin == std::string::npos ? 0 : begin + 1, end - begin);
}

std::vector<char> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(HaldenProgram, ProgramsTheEmulatedChip) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(300, '\x5A'));
    const std::string emulator = "target=RQD-2,state=" + (dir / "emu").string();
    const auto result =
        halden(emulator, "program --part rqd-2 --set SRAM_DIS=on " + image.string());
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(result.output, "[Pass !] Update Target ok !\n");
    const auto flash = readFile(dir / "emu/flash.bin");
    ASSERT_EQ(flash.size(), 0x20000u);
    EXPECT_EQ(std::string(flash.begin(), flash.begin() + 300), std::string(300, '\x5A'));
    EXPECT_EQ(flash[300], '\xFF');
    EXPECT_EQ(readFile(dir / "emu/options.bin").at(18), '\x03'); // SRAM_DIS ticked
}

TEST(HaldenProgram, FailuresExitOneAndSayWhy) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(16, '\x01'));
    struct Case {
        std::string emulator;
        std::string arguments;
        int code;
        std::string output;
    };
    const Case cases[] = {
        {"", "program --part RQD-1 " + image.string(), 1, "[Error !] Tavro is not exist !"},
        {"target=RQD-4", "program --part RQD-1 " + image.string(), 1,
         "[Error !] Target is not \"RQD-1\" !"},
        {"1", "program " + image.string(), 2, "--part NAME is required"},
        {"", "adapter --json", 1,
         "{\"mode\":\"none\",\"firmware\":\"unknown\",\"offlineCapable\":false}"},
        {"mode=0FFF", "adapter --json", 0, "{\"mode\":\"needs-firmware\""},
        {"offline=0", "adapter --json", 0,
         "{\"mode\":\"programmer\",\"firmware\":\"match\",\"offlineCapable\":false}"},
        // A state folder that can keep nothing: the emulated adapter fails the first change.
        {"state=" + image.string(), "program --part RQD-1 " + image.string(), 1,
         "halden: erasing the chip: CMD_ERASE_CHIP (0x0D) failed"},
        {"state=" + (image / "below").string(), "program --part RQD-1 " + image.string(), 1,
         "halden: erasing the chip: CMD_ERASE_CHIP (0x0D) failed"},
    };
    for (const auto& c : cases) {
        const auto result = halden(c.emulator, c.arguments);
        EXPECT_EQ(result.code, c.code) << c.arguments << "\n" << result.output;
        EXPECT_NE(result.output.find(c.output), std::string::npos) << result.output;
    }
}

// Every fault the emulator can inject into an Update Target: each one fails it, and each
// one ends, after the programmer's message if it shows one, with one halden: line that
// names the step and the command that failed. The cases run side by side (a dropped reply
// waits 4000 ms).
TEST(HaldenProgram, EveryInjectedFaultFailsAndEndsWithTheStepAndCommand) {
    test::TempDir dir;
    const std::string image = std::string(HALDEN_SOURCE_DIR) + "/resources/samples/sample.hex";
    std::vector<std::string> faults;
    for (const char* command : {"0x80", "0x25", "0x23", "0x0D", "0x19", "0x1E", "0x1A"}) {
        faults.push_back(std::string("drop:") + command);
        faults.push_back(std::string("tag:") + command);
        faults.push_back(std::string("badreport:") + command);
        for (const char* status : {"1", "2", "3", "4", "5", "9"}) {
            faults.push_back(std::string("status:") + command + ":" + status);
        }
    }
    for (const char* n : {"0", "1", "4", "7"}) {
        faults.push_back(std::string("refuse:") + n);
    }
    for (const char* n : {"0", "1", "2", "3", "4", "5", "8", "12", "16", "20", "23"}) {
        faults.push_back(std::string("unplug:") + n);
    }
    faults.push_back("stuck:0x10");
    // Faults whose failure the programmer names in a message of its own.
    const std::map<std::string, std::string> named = {
        {"badreport:0x23", "[Error !] Target is not exist !"},
    };
    std::vector<FILE*> running;
    for (std::size_t i = 0; i < faults.size(); ++i) {
        const auto state = dir / ("emu" + std::to_string(i));
        running.push_back(startHalden("fault=" + faults[i] + ",state=" + state.string(),
                                      "program --part RQD-1 " + image));
    }
    const std::regex stepAndCommand(
        "halden: (opening|identifying|erasing|programming|reading|closing|checking)[^:]*: "
        ".*(CMD_[A-Z_]+ \\(0x[0-9A-F]{2}\\)|firmware query).*");
    std::size_t withMessage = 0;
    for (std::size_t i = 0; i < faults.size(); ++i) {
        const auto result = finishHalden(running[i]);
        SCOPED_TRACE(faults[i] + "\n" + result.output);
        EXPECT_EQ(result.code, 1);
        if (const auto message = named.find(faults[i]); message != named.end()) {
            EXPECT_NE(result.output.find(message->second + "\n"), std::string::npos);
        }
        withMessage += result.output.find('[') != std::string::npos;
        EXPECT_TRUE(std::regex_match(lastLine(result.output), stepAndCommand));
        std::size_t haldenLines = result.output.rfind("halden: ", 0) == 0;
        for (std::size_t at = 0; (at = result.output.find("\nhalden: ", at)) != std::string::npos;
             ++at) {
            ++haldenLines;
        }
        EXPECT_EQ(haldenLines, 1u);
    }
    // Many end in the programmer's own message: the line follows those too.
    EXPECT_GT(withMessage, 10u);
}

TEST(HaldenProgram, VerbosePrintsOneRecordPerTransaction) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(300, '\x11'));
    const auto result = halden("state=" + (dir / "emu").string(),
                               "--verbose program --part RQD-1 " + image.string());
    EXPECT_EQ(result.code, 0) << result.output;
    const char* records[] = {"open adapter in programmer mode: ok",
                             "firmware query: ok",
                             "CMD_OPEN_TARGET (0x25) tag",
                             "CMD_CHECK_TARGET (0x23) tag",
                             "CMD_ERASE_CHIP (0x0D) tag",
                             "CMD_PROGRAM_CODE (0x19) tag",
                             "read back with CMD_READ_TARGET_CODE (0x1E) address 0x00000000 "
                             "length 300: ok",
                             "CMD_PROGRAM_OPTIONS (0x1A) tag",
                             "CMD_CLOSE_TARGET (0x04)",
                             "close the adapter: ok"};
    std::size_t from = 0;
    for (const char* record : records) {
        const auto at = result.output.find(std::string("halden: link: ") + record, from);
        ASSERT_NE(at, std::string::npos) << record << "\n" << result.output;
        from = at;
    }
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = result.output.find("halden: link: ", at)) != std::string::npos;
         ++at) {
        ++lines;
    }
    EXPECT_EQ(lines, std::size(records));
}

// One process per adapter: a second halden finds the adapter taken, says so, and the
// chip keeps the first one's image.
TEST(HaldenProgram, ASecondProcessFindsTheAdapterInUse) {
    test::TempDir dir;
    const auto first = dir.write("first.bin", std::string(0x10000, '\x5A'));
    const auto second = dir.write("second.bin", std::string(0x10000, '\x0F'));
    // Full-speed timing makes the first programming take about a second.
    const std::string emulator = "latency=usb-fs,state=" + (dir / "emu").string();
    FILE* one = startHalden(emulator, "program --part RQD-1 " + first.string());
    FILE* two = nullptr;
    // Start the second once the first holds the adapter (its lock file is there).
    for (int i = 0; i < 400 && !std::filesystem::exists(dir / "emu/adapter.lock"); ++i) {
        usleep(5000);
    }
    usleep(100000);
    two = startHalden(emulator, "program --part RQD-1 " + second.string());
    const auto a = finishHalden(one);
    const auto b = finishHalden(two);
    EXPECT_EQ(a.code, 0) << a.output;
    EXPECT_EQ(a.output, "[Pass !] Update Target ok !\n");
    EXPECT_EQ(b.code, 1) << b.output;
    // The adapter is there: only the sentence that says who holds it.
    EXPECT_EQ(b.output, "halden: the adapter is in use by another process\n");
    const auto flash = readFile(dir / "emu/flash.bin");
    ASSERT_EQ(flash.size(), 0x18000u);
    EXPECT_EQ(std::string(flash.begin(), flash.begin() + 0x10000), std::string(0x10000, '\x5A'));
}

} // namespace
} // namespace halden
