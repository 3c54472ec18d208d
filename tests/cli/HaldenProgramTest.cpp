#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace halden {
namespace {

struct ProcessResult {
    int code;
    std::string output; // standard output and error together
};

// Runs the real halden, which loads the link library beside itself.
ProcessResult halden(const std::string& emulator, const std::string& arguments) {
    const std::string command =
        (emulator.empty() ? "env -u TAVRO_EMULATOR " : "TAVRO_EMULATOR='" + emulator + "' ") +
        std::string(HALDEN_BIN_DIR) + "/halden " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
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
    };
    for (const auto& c : cases) {
        const auto result = halden(c.emulator, c.arguments);
        EXPECT_EQ(result.code, c.code) << c.arguments << "\n" << result.output;
        EXPECT_NE(result.output.find(c.output), std::string::npos) << result.output;
    }
}

} // namespace
} // namespace halden
