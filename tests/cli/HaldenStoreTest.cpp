#include "tests/cli/HaldenProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace halden {
namespace {

struct ProcessResult {
    int code;
    std::string out;
    std::string err;
};

// The real halden against the emulator (none when emulator is empty); standard output and
// error kept apart, in files of the test's folder.
FILE* start(const test::TempDir& dir, const std::string& name, const std::string& emulator,
            const std::string& arguments) {
    return test::startHalden(emulator, arguments,
                             ">" + (dir / (name + ".out")).string() + " 2>" +
                                 (dir / (name + ".err")).string());
}

ProcessResult finish(const test::TempDir& dir, const std::string& name, FILE* pipe) {
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readText(dir / (name + ".out")),
            test::readText(dir / (name + ".err"))};
}

ProcessResult halden(const test::TempDir& dir, const std::string& emulator,
                     const std::string& arguments) {
    return finish(dir, "run", start(dir, "run", emulator, arguments));
}

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

std::string field(const std::string& json, const std::string& name) {
    const auto at = json.find("\"" + name + "\":");
    if (at == std::string::npos) {
        return "(missing)";
    }
    const auto begin = at + name.size() + 3;
    const auto end =
        json.find_first_of(",}", json[begin] == '"' ? json.find('"', begin + 1) : begin);
    return json.substr(begin, end - begin);
}

TEST(HaldenStore, StoresTheProjectByTheDialogsRules) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(1000, '\x5A'));
    const std::string emulator = "state=" + (dir / "emu").string();
    const auto result =
        halden(dir, emulator,
               "store --part RQE-1 " + image.string() +
                   " --max-counter 70000 --serial --serial-string LINE-7 --serial-number 00c0ffee"
                   " --serial-address 0003FFFC --auto-increment --json");
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err,
              "halden: warning: max counter 70000 is above 65530; 65530 is stored\n"
              "halden: warning: start address 0x0003FFFC is above 0x0003FFF0 (flash size - 16); "
              "0x0003FFF0 is stored\n"
              "[Pass !] Update Programmer ok !\n");
    const std::string header = test::readText(dir / "emu/stored-header.bin");
    ASSERT_EQ(header.size(), 85u) << "16 option bytes";
    EXPECT_EQ(header.substr(2, 2), std::string("\x55\x00", 2));
    EXPECT_EQ(test::readText(dir / "emu/stored-code.bin"), std::string(1000, '\x5A'));

    const std::string& json = result.out;
    EXPECT_EQ(field(json, "bytes"), "\"" + hexOf(header) + "\"") << "the header as stored";
    const std::pair<const char*, const char*> fields[] = {
        {"length", "85"},
        {"version", "1"},
        {"partIndex", "42"},
        {"chipId", "\"0x13800440\""},
        {"codeLength", "1000"},
        {"codeChecksum", "24464"}, // 1000 * 0x5A = 90000, cut to 16 bits: 24464
        {"serialFlags", "3"},
        {"serialEnabled", "true"},
        {"autoIncrement", "true"},
        {"startAddress", "\"0x0003FFF0\""},
        {"endAddress", "\"0x0003FFFF\""},
        {"serialString", "\"LINE-7\""},
        {"serialStringBytes", "\"4C494E452D37000000000000\""},
        {"serialNumber", "\"0x00C0FFEE\""},
        {"maxCounter", "65530"},
        {"optionCount", "16"},
    };
    for (const auto& [name, value] : fields) {
        EXPECT_EQ(field(json, name), value) << name << "\n" << json;
    }
    const std::string code = json.substr(json.find("\"code\":"));
    EXPECT_EQ(field(code, "size"), "1000");
    EXPECT_EQ(field(code, "checksum"), "24464");
    EXPECT_EQ(field(code, "crc32"), "\"0xC70E926C\"");
}

TEST(HaldenStore, WithoutOptionsTheSettingsKeepTheirResetValues) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(64, '\x01'));
    const auto result = halden(dir, "state=" + (dir / "emu").string(),
                               "store --part RQD-1 " + image.string() + " --json");
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "[Pass !] Update Programmer ok !\n");
    EXPECT_EQ(field(result.out, "serialFlags"), "0");
    EXPECT_EQ(field(result.out, "startAddress"), "\"0x00017FF0\"");
    EXPECT_EQ(field(result.out, "serialStringBytes"), "\"202020202020202020202020\"");
    EXPECT_EQ(field(result.out, "serialNumber"), "\"0x00000000\"");
    EXPECT_EQ(field(result.out, "maxCounter"), "0");
    EXPECT_EQ(field(result.out, "crc32"), "\"0x0BCD6AAF\"") << "CRC-32 of 64 bytes 0x01";
}

// The limit is the stored field's 12 bytes, one for each character in the ANSI code page,
// not the argument's UTF-8 bytes.
TEST(HaldenStore, TwelveCharactersFillTheSerialString) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(64, '\x01'));
    const auto result = halden(dir, "state=" + (dir / "emu").string(),
                               "store --part RQD-1 " + image.string() +
                                   " --serial-string '\xC3\x84"
                                   "BCDEFGHIJK\xC3\x9C' --json");
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "[Pass !] Update Programmer ok !\n");
    EXPECT_EQ(field(result.out, "serialStringBytes"), "\"C442434445464748494A4BDC\"");
}

TEST(HaldenStore, AddressRoundingAndTheSerialOverCodeAreTold) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(0x2000, '\x33'));
    const auto result =
        halden(dir, "state=" + (dir / "emu").string(),
               "store --part RQD-1 " + image.string() + " --serial --serial-address 1001");
    ASSERT_EQ(result.code, 0) << result.err;
    const auto rounded = result.err.find(
        "halden: warning: start address 0x00001001 is not a multiple of 4; rounded down to "
        "0x00001000\n");
    const auto overlap = result.err.find("[Warning !] The serial number's 16 bytes at 0x00001000");
    const auto pass = result.err.find("[Pass !] Update Programmer ok !");
    EXPECT_NE(rounded, std::string::npos) << result.err;
    EXPECT_NE(overlap, std::string::npos) << result.err;
    EXPECT_LT(overlap, pass) << "told before the download";
    const std::string header = test::readText(dir / "emu/stored-header.bin");
    ASSERT_GE(header.size(), 41u);
    EXPECT_EQ(header.substr(37, 4), std::string("\x00\x10\x00\x00", 4));
}

TEST(HaldenStore, FailuresExitOneAndSayWhy) {
    test::TempDir dir;
    const auto image = dir.write("app.bin", std::string(300, '\x21')).string();
    struct Case {
        const char* name;
        std::string emulator; // "-": no adapter
        std::string arguments;
        int code;
        std::vector<std::string> lines; // in this order on standard error
        bool headerStored;
    };
    const std::string failed = "[Error !] Update Programmer failed !";
    const std::vector<Case> cases = {
        {"no adapter",
         "-",
         "store --part RQD-1 " + image,
         1,
         {"[Error !] Tavro is not exist !",
          "halden: opening the adapter: cannot open the adapter in programmer mode"},
         false},
        {"no off-line capability",
         "offline=0",
         "store --part RQD-1 " + image,
         1,
         {"halden: the adapter has no off-line capability"},
         false},
        {"header refused",
         "fault=status:0x1B:1",
         "store --part RQD-1 " + image,
         1,
         {"[Error occured !] Checksum is not match !", failed,
          "halden: storing the project header: CMD_STORE_PROJECT_HEADER (0x1B) failed"},
         true},
        {"code reports refused",
         "fault=refuse:3",
         "store --part RQD-1 " + image,
         1,
         {failed, "halden: storing the project code: no reply to CMD_STORE_PROJECT_CODE (0x1C)"},
         true},
        {"corrupted stored byte",
         "fault=corrupt:7",
         "store --part RQD-1 " + image,
         1,
         {"[Error !] Checksum failed !", failed,
          "halden: reading the stored project back: the data read back with "
          "CMD_READ_STORED_CODE (0x21) differ from the code sent in 1 byte, the first at "
          "0x00000007"},
         true},
        {"close fails",
         "fault=closefail",
         "store --part RQD-1 " + image,
         1,
         {failed, "halden: closing the adapter: the adapter could not be closed"},
         true},
        {"bad number",
         "",
         "store --part RQD-1 " + image + " --serial-number 12G",
         2,
         {"halden store: --serial-number takes up to 8 hex digits"},
         false},
        {"serial string over 12 bytes",
         "",
         "store --part RQD-1 " + image + " --serial-string LINE-7-0123456",
         2,
         {"halden store: --serial-string takes up to 12 bytes, not 14"},
         false},
        {"nine digits",
         "",
         "store --part RQD-1 " + image + " --serial-number 0x123456789",
         2,
         {"halden store: --serial-number takes up to 8 hex digits, not 0x123456789"},
         false},
        {"address not hexadecimal",
         "",
         "store --part RQD-1 " + image + " --serial --serial-address 1000h",
         2,
         {"halden store: --serial-address takes up to 8 hex digits, not 1000h"},
         false},
        {"bad counter",
         "",
         "store --part RQD-1 " + image + " --max-counter -5",
         2,
         {"halden store: --max-counter takes a decimal number"},
         false},
        {"no file", "", "store --part RQD-1", 2, {"halden store: a FILE is required"}, false},
    };
    std::vector<FILE*> running;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        const std::string state = "state=" + (dir / ("emu" + std::to_string(i))).string();
        const std::string emulator = c.emulator == "-"    ? ""
                                     : c.emulator.empty() ? state
                                                          : c.emulator + "," + state;
        running.push_back(start(dir, "case" + std::to_string(i), emulator, c.arguments));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        const auto result = finish(dir, "case" + std::to_string(i), running[i]);
        SCOPED_TRACE(std::string(c.name) + "\n" + result.err);
        EXPECT_EQ(result.code, c.code);
        std::size_t from = 0;
        for (const auto& line : c.lines) {
            const auto at = result.err.find(line, from);
            EXPECT_NE(at, std::string::npos) << line;
            from = at == std::string::npos ? from : at;
        }
        EXPECT_EQ(result.err.find("Update Programmer ok"), std::string::npos);
        EXPECT_EQ(std::filesystem::exists(dir / ("emu" + std::to_string(i)) / "stored-header.bin"),
                  c.headerStored);
        EXPECT_TRUE(result.out.empty()) << "no JSON for a failed store";
    }
}

} // namespace
} // namespace halden
