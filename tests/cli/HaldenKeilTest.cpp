#include "tests/packsetup/KeilFixture.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

namespace halden {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;

struct KeilResult {
    int code;
    std::string out;
    std::string err;
};

// The real halden, copied beside the driver and the pack it hands over.
KeilResult halden(const fs::path& program, const std::string& arguments,
                  const std::string& env = "") {
    const fs::path err = program / "stderr.txt";
    const std::string command =
        env + " '" + (program / "halden").string() + "' " + arguments + " 2>'" + err.string() + "'";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            out += buffer;
        }
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, fileBytes(err)};
    }
    return {-1, "", ""};
}

struct HaldenKeil : ::testing::Test {
    void SetUp() override {
        fs::copy_file(fs::path(HALDEN_BIN_DIR) / "halden", fixture.program / "halden");
    }
    KeilResult keil(const std::string& arguments, const std::string& env = "") {
        return halden(fixture.program, "keil " + arguments, env);
    }
    std::string mdk() const { return "'" + fixture.mdk.string() + "'"; }
    test::KeilFixture fixture;
};

TEST_F(HaldenKeil, InstallAndUninstallAsTheButtonsDo) {
    const std::string original = fileBytes(fixture.toolsIni);
    const KeilResult installed = keil("install " + mdk() + " --json");
    ASSERT_EQ(installed.code, 0) << installed.err;
    const std::string driver =
        fs::canonical(fixture.driver().parent_path()).string() + "/M3_Tavro.dll";
    EXPECT_EQ(installed.out, "{\"action\":\"install\",\"toolsIni\":\"" + fixture.toolsIni.string() +
                                 "\",\"driverKey\":\"TDRV3\",\"cpuListKey\":\"CPUDLL1\","
                                 "\"driverPath\":\"" +
                                 driver +
                                 "\",\"driverCopied\":true,\"driverDeleted\":false,\"pack\":\"" +
                                 fixture.pack().string() + "\",\"note\":null}\n");
    EXPECT_EQ(installed.err, "[open] " + fixture.pack().string() + "\n");
    EXPECT_NE(fileBytes(fixture.toolsIni)
                  .find("\r\nTDRV2=BIN\\DAPAGENT.dll(\"Debug Access Port Debugger\")\r\n"
                        "TDRV3=BIN\\M3_Tavro.dll(\"Tavro Cortex-M3 Debugger\")\r\nDELDRVPKG0"),
              std::string::npos);
    EXPECT_EQ(fileBytes(fixture.driver()), fixture.driverBytes);

    const KeilResult text = keil("install " + mdk());
    EXPECT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("driver key: TDRV3\nCPU list: unchanged\n"), std::string::npos)
        << text.out;

    const KeilResult removed = keil("uninstall " + mdk() + " --json");
    ASSERT_EQ(removed.code, 0) << removed.err;
    EXPECT_NE(removed.out.find("\"driverKey\":\"TDRV3\",\"cpuListKey\":\"CPUDLL1\""),
              std::string::npos);
    EXPECT_NE(removed.out.find("\"driverCopied\":false,\"driverDeleted\":true,\"pack\":null"),
              std::string::npos);
    EXPECT_EQ(removed.err, "");
    EXPECT_EQ(fileBytes(fixture.toolsIni), original);
    EXPECT_FALSE(fs::exists(fixture.driver()));
}

TEST_F(HaldenKeil, FailuresAndUsage) {
    struct Case {
        std::string arguments;
        int code;
        std::string err;
    } cases[] = {
        {"install '" + (fixture.dir / "program").string() + "'", 1, "there is no TOOLS.INI in"},
        {"uninstall '" + (fixture.dir / "nowhere").string() + "' --json", 1, "there is no folder"},
        {"install", 2, "takes one Keil MDK folder"},
        {"install " + mdk() + " --frobnicate", 2, "--frobnicate"},
        {"repair " + mdk(), 2, "unknown operation repair"},
        {"", 2, "which operation?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const KeilResult run = keil(c.arguments);
        EXPECT_EQ(run.code, c.code);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    fixture.dir.write("wine/drive_c/Keil_v5/TOOLS.INI", "[ARM]\r\nTDRV0=X\r\n");
    const KeilResult noSection = keil("install " + mdk() + " --json");
    EXPECT_EQ(noSection.code, 1);
    EXPECT_NE(noSection.err.find("has no [ARMADS] section"), std::string::npos);
    EXPECT_EQ(fileBytes(fixture.toolsIni), "[ARM]\r\nTDRV0=X\r\n");
    EXPECT_FALSE(fs::exists(fixture.driver()));

    // A file larger than the INI module reads is named so, with the limit, not as a file
    // without [ARMADS].
    fixture.dir.write("wine/drive_c/Keil_v5/TOOLS.INI", test::realisticToolsIni());
    fs::resize_file(fixture.toolsIni, 16u * 1024 * 1024 + 1);
    const KeilResult huge = keil("install " + mdk());
    EXPECT_EQ(huge.code, 1);
    EXPECT_NE(huge.err.find("TOOLS.INI is too large"), std::string::npos) << huge.err;
    EXPECT_NE(huge.err.find("at most 16777216 bytes (16 MiB)"), std::string::npos) << huge.err;
    EXPECT_EQ(fs::file_size(fixture.toolsIni), 16u * 1024 * 1024 + 1);
    EXPECT_FALSE(fs::exists(fixture.driver()));
}

TEST_F(HaldenKeil, FindListsTheFoldersOfTheUsersPrefixes) {
    const fs::path home = fixture.dir / "home";
    fs::create_directories(home);
    const KeilResult none = keil("find", "env -u WINEPREFIX HOME='" + home.string() + "'");
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no Keil MDK folder"), std::string::npos);

    fs::create_directory_symlink(fixture.prefix, home / ".wine");
    const KeilResult found = keil("find --json", "env -u WINEPREFIX HOME='" + home.string() + "'");
    EXPECT_EQ(found.code, 0) << found.err;
    const std::string prefix = fs::canonical(fixture.prefix).string();
    EXPECT_EQ(found.out, "[{\"folder\":\"" + prefix + "/drive_c/Keil_v5\",\"toolsIni\":\"" +
                             prefix + "/drive_c/Keil_v5/TOOLS.INI\",\"prefix\":\"" + prefix +
                             "\"}]\n");
}

} // namespace
} // namespace halden
