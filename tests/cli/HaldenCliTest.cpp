#include "cli/HaldenCli.h"
#include "cli/CommandTable.h"
#include "tests/cli/HaldenProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace halden {
namespace {

using test::CliResult;

CliResult run(const std::vector<std::string>& arguments) {
    return test::runCli(arguments);
}

TEST(HaldenCli, HelpVersionAndUsageErrors) {
    const CliResult help = run({"--help"});
    EXPECT_EQ(help.code, HaldenCli::kSuccess);
    EXPECT_NE(help.out.find("Usage: halden"), std::string::npos);

    const CliResult version = run({"--version"});
    EXPECT_EQ(version.code, HaldenCli::kSuccess);
    EXPECT_EQ(version.out, "halden 1.13.0.0\n");

    const CliResult unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.code, HaldenCli::kUsage);
    EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);

    EXPECT_EQ(run({}).code, HaldenCli::kUsage);
}

std::string oneSpaced(const std::string& text) {
    std::istringstream in(text);
    std::string joined;
    for (std::string word; in >> word;) {
        joined += (joined.empty() ? "" : " ") + word;
    }
    return joined;
}

// Each command's usage is what its usage errors print and what the help lists, and every
// option it names is one the command takes: given with its value, it does not stop the
// parse, which ends at the unknown option after it.
TEST(HaldenCli, EveryCommandsUsageIsTheOneItsErrorsAndTheHelpShow) {
    const std::string help = oneSpaced(run({"--help"}).out);
    for (const auto& command : CommandTable::commands()) {
        SCOPED_TRACE(command.name);
        EXPECT_NE(help.find(oneSpaced(command.usage)), std::string::npos);

        std::istringstream words(command.name);
        std::vector<std::string> named{std::istream_iterator<std::string>(words), {}};
        const std::string usage = oneSpaced(CommandTable::usage(command.name));
        EXPECT_EQ(usage.rfind("Usage: halden " + oneSpaced(command.usage), 0), 0u) << usage;
        std::vector<std::string> unknown = named;
        unknown.push_back("--no-such-option");
        const CliResult refused = run(unknown);
        EXPECT_EQ(refused.code, HaldenCli::kUsage);
        EXPECT_NE(oneSpaced(refused.err).find(usage), std::string::npos) << refused.err;

        std::istringstream usageWords(command.usage);
        const std::vector<std::string> tokens{std::istream_iterator<std::string>(usageWords), {}};
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const auto begin = tokens[i].find_first_not_of('[');
            const auto end = tokens[i].find_first_of("]. ", begin);
            const std::string option = tokens[i].substr(begin, end - begin);
            if (option.size() < 2 || option[0] != '-' || option == "--") {
                continue;
            }
            std::vector<std::string> given = named;
            given.push_back(option);
            const std::string& next = i + 1 < tokens.size() ? tokens[i + 1] : "";
            if (!next.empty() && next[0] != '[' && next[0] != '-') {
                given.push_back(next.substr(0, next.find(']')));
            }
            given.push_back("--no-such-option");
            const CliResult taken = run(given);
            EXPECT_EQ(taken.code, HaldenCli::kUsage) << option;
            EXPECT_NE(taken.err.find("--no-such-option"), std::string::npos)
                << option << ": " << taken.err;
        }
    }
}

TEST(HaldenCli, CommandsWithOperationsNameThemWhenNoneOrAnUnknownOneIsGiven) {
    const CliResult none = run({"keil"});
    EXPECT_EQ(none.code, HaldenCli::kUsage);
    EXPECT_EQ(none.err, "halden keil: which operation?\n" + CommandTable::usage("keil"));
    EXPECT_NE(none.err.find("halden keil find [--json]"), std::string::npos);
    const CliResult unknown = run({"qpf", "load", "x.qpf"});
    EXPECT_EQ(unknown.code, HaldenCli::kUsage);
    EXPECT_EQ(unknown.err, "halden qpf: unknown operation load\n" + CommandTable::usage("qpf"));
}

TEST(HaldenCli, PartsListsTheCatalogue) {
    const CliResult text = run({"parts"});
    EXPECT_EQ(text.code, HaldenCli::kSuccess);
    EXPECT_NE(text.out.find("   36  RQD-1  RQ-Delta Series    0x18000       128"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("RQE-6"), std::string::npos);

    const CliResult json = run({"parts", "--json"});
    EXPECT_EQ(json.code, HaldenCli::kSuccess);
    EXPECT_EQ(json.out.rfind("[{\"index\":36,\"name\":\"RQD-1\",\"series\":4,"
                             "\"seriesName\":\"RQ-Delta Series\",\"flashSize\":98304,"
                             "\"optionCount\":128,\"chipId\":",
                             0),
              0u)
        << json.out;
    EXPECT_NE(json.out.find("\"chipIdMask\":4294967295,\"parameterBytes\":[20,36,14]}]"),
              std::string::npos);
}

TEST(HaldenCli, OptionsBuildTheBytesFromTheBoxes) {
    const CliResult lock = run({"options", "--part", "rqd-1", "--set", "LOCK=on", "--json"});
    ASSERT_EQ(lock.code, HaldenCli::kSuccess) << lock.err;
    const auto bytesAt = lock.out.find("\"optionBytes\":\"");
    ASSERT_NE(bytesAt, std::string::npos);
    const std::string bytes = lock.out.substr(bytesAt + 15, 256);
    EXPECT_EQ(bytes.substr(0, 4), "5555");     // B[0], B[1]
    EXPECT_EQ(bytes.substr(16 * 2, 2), "83");  // B[16]
    EXPECT_EQ(bytes.substr(20 * 2, 2), "7C");  // B[20]
    EXPECT_EQ(bytes.substr(124 * 2, 2), "FF"); // NOT B[112]
    EXPECT_NE(lock.out.find("{\"label\":\"LOCK\",\"enabled\":true,\"ticked\":true}"),
              std::string::npos);

    const CliResult epsilon = run({"options", "--part", "RQE-2", "--set=nrst_stop=on", "--json"});
    EXPECT_NE(epsilon.out.find("\"optionBytes\":\"A55AFD02FF00"), std::string::npos) << epsilon.out;
}

TEST(HaldenCli, OptionsUsageErrorsNameTheChoices) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"options", "--part", "RQX-1"}, "unknown part 'RQX-1'; choose one of: RQD-1, RQD-2"},
        {{"options", "--part", "RQE-1", "--set", "LOCK=on"},
         "has no option 'LOCK'; choose one of: RDP, WRP, WDG_SW, nRST_STOP, nRST_STDBY"},
        {{"options", "--part", "RQE-1", "--set", "RDP=yes"}, "LABEL=on or LABEL=off"},
        {{"options"}, "--part NAME is required"},
        {{"options", "--part"}, "needs a value"},
        {{"parts", "--verbose"}, "unknown option --verbose"},
    };
    for (const auto& c : cases) {
        const CliResult result = run(c.arguments);
        EXPECT_EQ(result.code, HaldenCli::kUsage) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

std::string readFile(const std::filesystem::path& path) {
    return test::readText(path);
}

TEST(HaldenCli, ImageLoadsFilesInOrderAndWritesTheBuffer) {
    test::TempDir dir;
    const std::string a = dir.write("a.bin", std::string(0x100, '\x11')).string();
    const std::string b = dir.write("b.bin", std::string(0x10, '\x22')).string();
    const std::string hex = dir.write("c.hex", ":0200000408000000F2\n:02001000333388\n").string();
    const std::string out = (dir / "out.bin").string();

    const CliResult merged = run({"image", "--part", "RQD-1", a, b + "@0x80", "-o", out, "--json"});
    ASSERT_EQ(merged.code, HaldenCli::kSuccess) << merged.err;
    EXPECT_EQ(merged.out, "{\"size\":256,\"checksum\":4624,\"truncated\":false}\n");
    std::string expected(0x100, '\x11');
    expected.replace(0x80, 0x10, std::string(0x10, '\x22'));
    EXPECT_EQ(readFile(out), expected);

    const CliResult cleared = run({"image", "--part", "RQD-1", a, "--clear", hex, "-o", out});
    ASSERT_EQ(cleared.code, HaldenCli::kSuccess) << cleared.err;
    EXPECT_EQ(cleared.out, "Size = 18 Bytes, Checksum = 0x1056\n");
    EXPECT_EQ(readFile(out), std::string(0x10, '\xFF') + "33");
}

TEST(HaldenCli, ImageSizeWarningFailsUnlessTruncating) {
    test::TempDir dir;
    const std::string big = dir.write("big.bin", std::string(0x18001, '\x01')).string();
    const std::string out = (dir / "out.bin").string();
    const CliResult refused = run({"image", "--part", "RQD-1", big, "-o", out});
    EXPECT_EQ(refused.code, HaldenCli::kFailed);
    EXPECT_NE(refused.err.find("[Warning !] File size is too large, file data will be truncated !"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    const CliResult cut = run({"image", "--part", "RQD-1", big, "--truncate", "-o", out, "--json"});
    EXPECT_EQ(cut.code, HaldenCli::kSuccess);
    EXPECT_NE(cut.out.find("\"size\":98304"), std::string::npos);
    EXPECT_NE(cut.out.find("\"truncated\":true"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(out), 0x18000u);
}

TEST(HaldenCli, ImageAndHex2binFailures) {
    test::TempDir dir;
    const std::string empty = dir.write("empty.bin", "").string();
    const std::string far = dir.write("far.hex", ":020000040500F5\n:0100000011EE\n").string();
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"image", "--part", "RQD-1", (dir / "none.bin").string()},
         HaldenCli::kFailed,
         "cannot read"},
        {{"image", "--part", "RQD-1", empty}, HaldenCli::kFailed, "is empty"},
        {{"image", "--part", "RQD-1"}, HaldenCli::kUsage, "a FILE is required"},
        {{"image", "--part", "NOPE", empty}, HaldenCli::kUsage, "unknown part 'NOPE'"},
        {{"hex2bin", far, (dir / "far.bin").string()}, HaldenCli::kFailed, "beyond 64 MiB"},
        {{"hex2bin", far}, HaldenCli::kUsage, "Usage: halden hex2bin"},
    };
    for (const auto& c : cases) {
        const CliResult result = run(c.arguments);
        EXPECT_EQ(result.code, c.code) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "far.bin"));
}

TEST(HaldenCli, Hex2binCutsTheImageAtItsHighestEnd) {
    test::TempDir dir;
    const std::string hex = dir.write("a.hex", ":020000040801F1\n:02000400ABCD82\n").string();
    const std::string out = (dir / "a.bin").string();
    const CliResult result = run({"hex2bin", hex, out, "--json"});
    ASSERT_EQ(result.code, HaldenCli::kSuccess) << result.err;
    EXPECT_EQ(result.out, "{\"size\":65542}\n");
    const std::string bytes = readFile(out);
    ASSERT_EQ(bytes.size(), 65542u);
    EXPECT_EQ(bytes.substr(0x10000), std::string("\xFF\xFF\xFF\xFF\xAB\xCD"));
}

TEST(HaldenCli, QpfSaveThenInfoAndImage) {
    test::TempDir dir;
    const std::string code = dir.write("app.bin", std::string(2048, '\x01')).string();
    const std::string qpf = (dir / "app.qpf").string();
    const CliResult saved =
        run({"qpf", "save", "--part", "RQD-1", "--set", "LOCK=on", code, "-o", qpf});
    ASSERT_EQ(saved.code, HaldenCli::kSuccess) << saved.err;
    EXPECT_EQ(std::filesystem::file_size(qpf), 2288u);

    const CliResult info = run({"qpf", "info", qpf, "--json"});
    ASSERT_EQ(info.code, HaldenCli::kSuccess) << info.err;
    for (const char* field :
         {"{\"codeSize\":2048,\"codeChecksum\":2048,\"partIndex\":36,\"codeFileName\":\"app.bin\","
          "\"ispFileName\":\"\",\"optionArea\":\"5555",
          "\"version\":770,\"type\":23,\"trailerLength\":240,\"trailerChecksum\":"}) {
        EXPECT_NE(info.out.find(field), std::string::npos) << info.out;
    }
    EXPECT_NE(info.out.find("\"saveTime\":\"20"), std::string::npos);

    // A project file on the image command line replaces the part and the code.
    const CliResult image = run({"image", "--part", "RQE-2", qpf, "--json"});
    EXPECT_EQ(image.code, HaldenCli::kSuccess) << image.err;
    EXPECT_EQ(image.out, "{\"size\":2048,\"checksum\":2048,\"truncated\":false}\n");
}

TEST(HaldenCli, QpfFailures) {
    test::TempDir dir;
    const std::string bad = dir.write("bad.qpf", std::string(100, 'x')).string();
    const std::string empty = dir.write("empty.bin", "").string();
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"qpf", "info", bad},
         HaldenCli::kFailed,
         "[Error !] This file is incompatible format and unable to open !"},
        {{"qpf", "info"}, HaldenCli::kUsage, "Usage: halden qpf info"},
        {{"qpf", "save", "--part", "RQD-1", empty, "-o", (dir / "x.qpf").string()},
         HaldenCli::kFailed,
         "is empty"},
        {{"qpf", "save", "--part", "RQD-1", bad}, HaldenCli::kUsage, "-o OUT.qpf are required"},
        {{"qpf", "frob"}, HaldenCli::kUsage, "Usage: halden qpf"},
    };
    for (const auto& c : cases) {
        const CliResult result = run(c.arguments);
        EXPECT_EQ(result.code, c.code) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.qpf"));
}

// One record line with its checksum.
std::string hexRecord(std::uint8_t type, std::uint16_t address, const std::string& data) {
    std::string line = ":";
    std::uint8_t sum = 0;
    char pair[4];
    const std::string bytes = std::string(1, static_cast<char>(data.size())) +
                              static_cast<char>(address >> 8) + static_cast<char>(address) +
                              static_cast<char>(type) + data;
    for (const char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(byte));
        line += pair;
        sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(byte));
    }
    std::snprintf(pair, sizeof pair, "%02X", static_cast<std::uint8_t>(-sum));
    return line + pair + "\n";
}

TEST(HaldenCli, HexBeyondTheFlashIsCutToItNotDropped) {
    test::TempDir dir;
    const std::string hex = dir.write("far.hex", hexRecord(0, 0, std::string(16, '\x11')) +
                                                     hexRecord(4, 0, std::string("\x00\x01", 2)) +
                                                     hexRecord(0, 0x9000, std::string(16, '\x22')))
                                .string();
    const std::string out = (dir / "far.bin").string();
    EXPECT_EQ(run({"image", "--part", "RQD-1", hex, "-o", out}).code, HaldenCli::kFailed);
    const CliResult cut = run({"image", "--part", "RQD-1", hex, "--truncate", "-o", out, "--json"});
    ASSERT_EQ(cut.code, HaldenCli::kSuccess) << cut.err;
    EXPECT_NE(cut.out.find("\"size\":98304"), std::string::npos) << cut.out;
    EXPECT_EQ(readFile(out), std::string(16, '\x11') + std::string(0x18000 - 16, '\xFF'));
}

// Every command that reads HEX fails on one that lost data records, naming the file
// and the line, unless --partial-hex (anywhere among the options) takes what was
// converted.
TEST(HaldenCli, HexThatLostDataRecordsFailsUnlessPartial) {
    test::TempDir dir;
    const std::string data = hexRecord(0, 0, std::string(4, '\x5A'));
    struct Case {
        const char* name;
        std::string text;
        std::string line;
    };
    const Case cases[] = {
        {"bad.hex", data + ":0100040002FF\n" + hexRecord(0, 5, "x"), "line 2: checksum error"},
        {"type3.hex", hexRecord(3, 0, std::string(4, '\0')) + data, "line 1: a record of type 3"},
        {"type5.hex", hexRecord(5, 0, std::string(4, '\0')) + data, "line 1: a record of type 5"},
        {"bom.hex", "\xEF\xBB\xBF" + data + hexRecord(0, 4, "y"),
         "line 1: a record that does not begin with ':'"},
        {"text.hex", "just some text\n", "the file holds no data record"},
    };
    const std::string out = (dir / "out.bin").string();
    for (const auto& c : cases) {
        const std::string hex = dir.write(c.name, c.text).string();
        const CliResult hex2bin = run({"hex2bin", hex, out});
        EXPECT_EQ(hex2bin.code, HaldenCli::kFailed) << c.name;
        EXPECT_NE(hex2bin.err.find(hex + ", " + c.line), std::string::npos) << hex2bin.err;
        const CliResult image = run({"image", "--part", "RQD-1", hex, "-o", out});
        EXPECT_EQ(image.code, HaldenCli::kFailed) << c.name;
        EXPECT_NE(image.err.find(hex + ", " + c.line), std::string::npos) << image.err;
        const CliResult saved = run({"qpf", "save", "--part", "RQD-1", hex, "-o", out});
        EXPECT_EQ(saved.code, HaldenCli::kFailed) << c.name;
        const CliResult program = run({"program", "--part", "RQD-1", hex});
        EXPECT_EQ(program.code, HaldenCli::kFailed) << c.name;
        EXPECT_NE(program.err.find(c.line), std::string::npos) << program.err;
        EXPECT_EQ(program.err.find("Update Target ok"), std::string::npos);

        EXPECT_EQ(run({"hex2bin", "--partial-hex", hex, out}).code, HaldenCli::kSuccess) << c.name;
        const CliResult partial = run({"image", "--part", "RQD-1", hex, "--partial-hex", "--json"});
        EXPECT_EQ(partial.code, HaldenCli::kSuccess) << c.name << partial.err;
    }
    const std::string bad = (dir / "bad.hex").string();
    EXPECT_EQ(run({"hex2bin", bad, "--partial-hex", out}).code, HaldenCli::kSuccess);
    EXPECT_EQ(run({"--partial-hex", "image", "--part", "RQD-1", bad}).code, HaldenCli::kSuccess);
    EXPECT_EQ(run({"--partial-hex", "--partial-hex"}).code, HaldenCli::kUsage);
    EXPECT_EQ(readFile(out), std::string(4, '\x5A'));

    // An empty file converts to nothing: hex2bin says so, the image commands refuse it.
    const std::string empty = dir.write("empty.hex", "").string();
    EXPECT_NE(run({"hex2bin", empty, out}).err.find("empty.hex, the file holds no data record"),
              std::string::npos);
    EXPECT_EQ(run({"hex2bin", empty, out, "--partial-hex"}).code, HaldenCli::kSuccess);
    EXPECT_EQ(readFile(out), "");
    EXPECT_NE(run({"image", "--part", "RQD-1", empty}).err.find("is empty"), std::string::npos);

    // One long line of junk after ':' decodes to a data record of no bytes: nothing either.
    const std::string junk = dir.write("junk.hex", ":" + std::string(100 * 1024, ' ')).string();
    const std::string junkOut = (dir / "junk.bin").string();
    const CliResult refused = run({"hex2bin", junk, junkOut});
    EXPECT_EQ(refused.code, HaldenCli::kFailed);
    EXPECT_NE(
        refused.err.find("junk.hex, the file's data records hold no byte; nothing was written"),
        std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::filesystem::exists(junkOut));
    EXPECT_EQ(run({"image", "--part", "RQD-1", junk}).code, HaldenCli::kFailed);
    EXPECT_EQ(run({"hex2bin", junk, junkOut, "--partial-hex"}).code, HaldenCli::kSuccess);
    EXPECT_EQ(readFile(junkOut), "");
}

TEST(HaldenCli, CannotReadSaysWhyAndDoubleDashEndsOptions) {
    test::TempDir dir;
    const std::string dash = dir.write("-code.bin", std::string(8, '\x01')).string();
    const CliResult missing = run({"image", "--part", "RQD-1", (dir / "none.bin").string()});
    EXPECT_NE(missing.err.find("none.bin: No such file or directory"), std::string::npos)
        << missing.err;
    const CliResult folder = run({"hex2bin", dir.path().string(), (dir / "x.bin").string()});
    EXPECT_NE(folder.err.find("not a regular file"), std::string::npos) << folder.err;
    const CliResult info = run({"qpf", "info", (dir / "none.qpf").string()});
    EXPECT_NE(info.err.find("No such file or directory"), std::string::npos) << info.err;

    std::filesystem::current_path(dir.path());
    const CliResult dashed = run({"image", "--part", "RQD-1", "--json", "--", "-code.bin"});
    EXPECT_EQ(dashed.code, HaldenCli::kSuccess) << dashed.err;
    EXPECT_EQ(dashed.out, "{\"size\":8,\"checksum\":8,\"truncated\":false}\n");
    EXPECT_EQ(run({"image", "--part", "RQD-1", "-code.bin"}).code, HaldenCli::kUsage);
    std::filesystem::current_path("/");
    (void)dash;
}

TEST(HaldenCli, AProjectsOwnPartIsTakenAndSaidSo) {
    test::TempDir dir;
    const std::string code = dir.write("app.bin", std::string(64, '\x01')).string();
    const std::string qpf = (dir / "app.qpf").string();
    ASSERT_EQ(run({"qpf", "save", "--part", "RQE-2", code, "-o", qpf}).code, HaldenCli::kSuccess);
    const CliResult other = run({"image", "--part", "RQD-1", qpf});
    EXPECT_EQ(other.code, HaldenCli::kSuccess);
    EXPECT_NE(other.err.find("is a project for RQE-2; the project's own part was taken, not RQD-1"),
              std::string::npos)
        << other.err;
    EXPECT_EQ(run({"image", "--part", "rqe-2", qpf}).err, "");
}

// Writes the file again with a part index and a fresh trailer checksum.
std::string withPartIndex(std::string file, std::size_t trailerStart, std::uint16_t partIndex) {
    const std::size_t nameLength = static_cast<unsigned char>(file[trailerStart + 16]);
    file[trailerStart + nameLength + 29] = static_cast<char>(partIndex >> 8);
    file[trailerStart + nameLength + 30] = static_cast<char>(partIndex);
    std::uint32_t sum = 0;
    for (std::size_t i = trailerStart; i < file.size() - 4; ++i) {
        sum += static_cast<unsigned char>(file[i]);
    }
    sum += static_cast<unsigned char>(file[file.size() - 2]) +
           static_cast<unsigned char>(file[file.size() - 1]);
    file[file.size() - 4] = static_cast<char>(sum >> 8);
    file[file.size() - 3] = static_cast<char>(sum);
    return file;
}

TEST(HaldenCli, AProjectLongerThanItsFlashIsCutAndSavedAsCut) {
    test::TempDir dir;
    const std::string code = dir.write("big.bin", std::string(0x18010, '\x02')).string();
    const std::string wide = (dir / "wide.qpf").string();
    ASSERT_EQ(run({"qpf", "save", "--part", "RQD-4", code, "-o", wide}).code, HaldenCli::kSuccess);
    // The same project, said to be for RQD-1 with 0x18000 bytes of flash.
    const std::string narrow =
        dir.write("narrow.qpf", withPartIndex(readFile(wide), 0x18010, 36)).string();
    ASSERT_EQ(run({"qpf", "info", narrow}).code, HaldenCli::kSuccess);

    const CliResult image = run({"image", "--part", "RQD-1", narrow, "--json"});
    ASSERT_EQ(image.code, HaldenCli::kSuccess) << image.err;
    EXPECT_EQ(image.out, "{\"size\":98304,\"checksum\":0,\"truncated\":true}\n");
    const std::string saved = (dir / "saved.qpf").string();
    ASSERT_EQ(run({"qpf", "save", "--part", "RQD-1", narrow, "-o", saved}).code,
              HaldenCli::kSuccess);
    const CliResult info = run({"qpf", "info", saved, "--json"});
    ASSERT_EQ(info.code, HaldenCli::kSuccess) << info.err;
    EXPECT_NE(info.out.find("\"codeSize\":98304,\"codeChecksum\":0,\"partIndex\":36"),
              std::string::npos)
        << info.out;
}

// Names of any length and any bytes: shown whole, control characters escaped, and valid
// JSON where a name is not UTF-8 (its bytes read as Latin-1, and given exactly in hex).
TEST(HaldenCli, QpfInfoShowsLongAndStrangeNamesWhole) {
    test::TempDir dir;
    const std::string longName = "a" + std::string(250, 'n') + ".bin";
    const std::string strange = "\xE9t\xE9\x01\\.bin";
    for (const std::string& name : {longName, strange}) {
        const std::string code = dir.write(name, std::string(16, '\x03')).string();
        const std::string qpf = (dir / "p.qpf").string();
        ASSERT_EQ(run({"qpf", "save", "--part", "RQD-1", code, "-o", qpf}).code,
                  HaldenCli::kSuccess);
        const CliResult text = run({"qpf", "info", qpf});
        ASSERT_EQ(text.code, HaldenCli::kSuccess);
        EXPECT_NE(text.out.find("\nOption Area     0000"), std::string::npos) << text.out;
        EXPECT_NE(text.out.find("Trailer Sum     0x"), std::string::npos);
        const CliResult json = run({"qpf", "info", "--json", qpf});
        ASSERT_EQ(json.code, HaldenCli::kSuccess);
        if (name == longName) {
            EXPECT_NE(text.out.find("CodeFile Name   " + longName + "\n"), std::string::npos);
            EXPECT_NE(json.out.find("\"codeFileName\":\"" + longName + "\""), std::string::npos);
        } else {
            EXPECT_NE(text.out.find("CodeFile Name   \\xE9t\\xE9\\x01\\\\.bin\n"),
                      std::string::npos)
                << text.out;
            EXPECT_NE(json.out.find("\"codeFileName\":\"\\u00e9t\\u00e9\\u0001\\\\.bin\""),
                      std::string::npos)
                << json.out;
            EXPECT_NE(json.out.find("\"codeFileNameBytes\":\"E974E9015C2E62696E\""),
                      std::string::npos);
        }
    }
}

} // namespace
} // namespace halden
