#include "tests/cli/HaldenProcess.h"
#include "tests/support/TempDir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace halden {
namespace {

using ProcessResult = test::HaldenProcess;

// A check that read the chip and found it wrong: nothing failed on the link, so halden
// names the step the check ended after.
const std::string kAfterTheReadBack = "halden: the operation failed after reading the chip back "
                                      "(read back with CMD_READ_TARGET_CODE (0x1E))\n";

ProcessResult halden(const std::string& emulator, const std::string& arguments) {
    return test::runHalden(emulator, arguments);
}

std::string readFile(const std::filesystem::path& path) {
    return test::readText(path);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

QJsonObject parseLine(const std::string& line) {
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    return document.object();
}

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    }
    return bytes;
}

// A chip behind the emulated adapter, with its state in a folder of its own.
class ProductionLine : public ::testing::Test {
protected:
    std::string emulator(const std::string& more = "") const {
        return "target=RQD-2,state=" + (dir / "emu").string() + more;
    }
    std::string image() const { return dir.write("app.bin", pattern(1000)).string(); }

    test::TempDir dir;
};

TEST_F(ProductionLine, ReadGivesTheChipsFlashAndWritesNothingWhenItFails) {
    ASSERT_EQ(halden(emulator(), "program --part RQD-2 " + image()).code, 0);
    const auto out = dir / "out.bin";
    auto result = halden(emulator(), "read --part RQD-2 -o " + out.string());
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(result.output, "[Pass !] Read Target ok !\n");
    const std::string flash = readFile(dir / "emu/flash.bin");
    ASSERT_EQ(flash.size(), 0x20000u);
    EXPECT_EQ(readFile(out), flash);

    result = halden(emulator(), "read --part RQD-2 --length 0x100 -o " + out.string());
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(readFile(out), flash.substr(0, 0x100));

    // A failed read leaves the file that was there as it was.
    result = halden(emulator(), "read --part RQD-1 -o " + out.string());
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.output.find("[Error !] Target is not \"RQD-1\" !"), std::string::npos);
    EXPECT_EQ(readFile(out), flash.substr(0, 0x100));
    result =
        halden(emulator(",fault=drop:0x1E"), "read --part RQD-2 -o " + (dir / "new.bin").string());
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.output.find("[Error !] Read Target failed !"), std::string::npos)
        << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "new.bin"));
}

TEST_F(ProductionLine, VerifyPassesAfterProgramAndNamesAChangedCell) {
    const std::string file = image();
    ASSERT_EQ(halden(emulator(), "program --part RQD-2 " + file).code, 0);
    auto result = halden(emulator(), "verify --part RQD-2 " + file);
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(result.output, "[Pass !] Verify ok !\n");

    std::string flash = readFile(dir / "emu/flash.bin");
    flash[0x123] = '\0';
    dir.write("emu/flash.bin", flash);
    result = halden(emulator(), "verify --part RQD-2 " + file);
    EXPECT_EQ(result.code, 1);
    char expected[128];
    std::snprintf(
        expected, sizeof expected,
        "[Error !] Verify failed at 0x00000123: chip 0x00, file 0x%02X; 1 byte differs !\n",
        static_cast<unsigned char>(pattern(1000)[0x123]));
    // The check's own message, then the step it ended after.
    EXPECT_EQ(result.output, expected + kAfterTheReadBack);
    // The chip was not erased or programmed by the check.
    EXPECT_EQ(readFile(dir / "emu/flash.bin"), flash);

    // The buffer is built as program builds it: the file at its address, 0xFF elsewhere.
    result = halden(emulator(), "verify --part RQD-2 " + file + "@10");
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.output.find("Verify failed at 0x00000000"), std::string::npos);
}

TEST_F(ProductionLine, BlankCheckPassesOnAFreshChipAndFailsAfterProgramming) {
    auto result = halden(emulator(), "blank-check --part RQD-2");
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(result.output, "[Pass !] Blank check ok !\n");
    dir.write("tail.bin", "\x12");
    ASSERT_EQ(
        halden(emulator(), "program --part RQD-2 " + (dir / "tail.bin").string() + "@1FFFF").code,
        0);
    result = halden(emulator(), "blank-check --part RQD-2");
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.output, "[Error !] Not blank at 0x0001FFFF: 0x12 !\n" + kAfterTheReadBack);
}

TEST_F(ProductionLine, EachCheckRefusesAWrongTargetAndAMissingAdapterAsUpdateTargetDoes) {
    const std::string file = image();
    const std::string commands[] = {"read --part RQD-1 -o " + (dir / "x.bin").string(),
                                    "verify --part RQD-1 " + file, "blank-check --part RQD-1"};
    for (const auto& command : commands) {
        auto result = halden("target=RQD-4", command);
        EXPECT_EQ(result.code, 1) << command;
        EXPECT_EQ(
            result.output.rfind("[Error !] Target is not \"RQD-1\" !\nhalden: identifying the "
                                "target: CMD_CHECK_TARGET (0x23) failed: ",
                                0),
            0u)
            << result.output;
        result = halden("", command);
        EXPECT_EQ(result.code, 1) << command;
        EXPECT_NE(result.output.find("[Error !] Tavro is not exist !"), std::string::npos);
        result = halden("target=none", command);
        EXPECT_EQ(result.code, 1) << command;
        EXPECT_NE(result.output.find("DUT is no response!"), std::string::npos) << result.output;
    }
    struct Usage {
        std::string arguments;
        std::string says;
    };
    const Usage usages[] = {
        {"read -o x.bin", "--part NAME is required"},
        {"read --part RQD-2", "-o OUT.bin is required"},
        {"read --part RQD-2 -o x.bin --length 0x20001", "--length takes 1 to the flash size"},
        {"blank-check", "--part NAME is required"},
        {"verify --part RQD-2", "a FILE is required"},
        {"program --part RQD-2 --log", "--log needs a value"},
        {"gang read --part RQD-2", "a gang runs program, verify or store"},
        {"gang program --adapter X --part RQD-2 x.bin", "use --adapters"},
        // Each process's result line names what was wrong, not its last usage line.
        {"gang program --part RQD-2", ": failed: halden program: a FILE is required\n"},
    };
    for (const auto& usage : usages) {
        const auto result = halden(emulator(), usage.arguments);
        EXPECT_EQ(result.code, 2) << usage.arguments << "\n" << result.output;
        EXPECT_NE(result.output.find(usage.says), std::string::npos) << result.output;
    }
}

TEST_F(ProductionLine, TheTraceLogHasOneLineWithEveryFieldPerOperation) {
    const std::string file = image();
    const std::string log = (dir / "trace.jsonl").string();
    ASSERT_EQ(halden(emulator(), "program --part RQD-2 --log " + log + " " + file).code, 0);
    ASSERT_EQ(halden(emulator(), "verify --log " + log + " --part RQD-2 " + file).code, 0);
    ASSERT_EQ(halden(emulator(), "blank-check --part RQD-2 --log " + log).code, 1);
    ASSERT_EQ(halden(emulator(), "read --part RQD-2 --length 16 -o " + (dir / "r.bin").string() +
                                     " --log " + log)
                  .code,
              0);
    ASSERT_EQ(halden("target=RQD-4", "program --part RQD-2 --log " + log + " " + file).code, 1);
    ASSERT_EQ(
        halden(emulator(",fault=drop:0x25"), "program --part RQD-2 --log " + log + " " + file).code,
        1);

    ASSERT_EQ(
        halden(emulator(",firmware=old"), "verify --part RQD-2 --log " + log + " " + file).code, 1);

    const auto written = lines(readFile(log));
    ASSERT_EQ(written.size(), 7u);
    const char* fields[] = {"time",        "operation",  "part",   "chipId", "image",
                            "optionBytes", "adapter",    "serial", "result", "message",
                            "detail",      "durationMs", "host"};
    for (const auto& line : written) {
        const QJsonObject object = parseLine(line);
        for (const char* field : fields) {
            EXPECT_TRUE(object.contains(field)) << field << " in " << line;
        }
        EXPECT_EQ(object.size(), static_cast<qsizetype>(std::size(fields))) << line;
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$")
                        .match(object["time"].toString())
                        .hasMatch())
            << line;
        EXPECT_EQ(object["part"].toString(), "RQD-2");
        EXPECT_EQ(object["chipId"].toString(), "0x12800420");
        EXPECT_FALSE(object["host"].toString().isEmpty());
        EXPECT_GE(object["durationMs"].toInt(-1), 0);
    }
    const QJsonObject program = parseLine(written[0]);
    EXPECT_EQ(program["operation"].toString(), "program");
    EXPECT_EQ(program["result"].toString(), "ok");
    EXPECT_EQ(program["message"].toString(), "Update Target ok !");
    const QJsonObject image = program["image"].toObject();
    EXPECT_EQ(image["files"].toArray().at(0).toString().toStdString(), file);
    EXPECT_EQ(image["size"].toInt(), 1000);
    unsigned sum = 0;
    for (const char c : pattern(1000)) {
        sum += static_cast<unsigned char>(c);
    }
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "0x%04X", sum & 0xFFFF);
    EXPECT_EQ(image["checksum"].toString(), checksum);
    EXPECT_TRUE(QRegularExpression("^0x[0-9A-F]{8}$").match(image["crc32"].toString()).hasMatch());
    EXPECT_FALSE(program["optionBytes"].toString().isEmpty());
    const QJsonObject adapter = program["adapter"].toObject();
    EXPECT_TRUE(adapter["path"].toString().startsWith("\\\\?\\HID#Vid_2e7b&Pid_0325#"));
    EXPECT_EQ(adapter["firmware"].toString(), "1.5");
    EXPECT_TRUE(program["serial"].isNull());

    EXPECT_EQ(parseLine(written[1])["message"].toString(), "Verify ok !");
    EXPECT_EQ(parseLine(written[2])["result"].toString(), "failed");
    EXPECT_EQ(parseLine(written[2])["message"].toString(), "Not blank at 0x00000000: 0x03 !");
    EXPECT_TRUE(parseLine(written[2])["image"].isNull());
    EXPECT_EQ(parseLine(written[3])["image"].toObject()["size"].toInt(), 16);
    EXPECT_EQ(parseLine(written[4])["message"].toString(), "Target is not \"RQD-2\" !");
    // A failure's detail is halden's last line: the step and the command, after the message.
    EXPECT_TRUE(program["detail"].isNull());
    EXPECT_TRUE(parseLine(written[4])["detail"].toString().startsWith(
        "identifying the target: CMD_CHECK_TARGET (0x23) failed"))
        << written[4];
    // A failure the system has no message for: the diagnostic of what failed.
    const QJsonObject dropped = parseLine(written[5]);
    EXPECT_EQ(dropped["result"].toString(), "failed");
    EXPECT_NE(dropped["message"].toString().indexOf("no reply to CMD_OPEN_TARGET"), -1)
        << dropped["message"].toString().toStdString();
    EXPECT_TRUE(dropped["detail"].toString().startsWith(
        "opening the target: no reply to CMD_OPEN_TARGET (0x25)"))
        << written[5];
    EXPECT_TRUE(parseLine(written[6])["message"].toString().startsWith(
        "Unmatched firmware version on the Tavro."));
    EXPECT_TRUE(parseLine(written[6])["adapter"].toObject()["firmware"].toString() == "1.4");
}

// Update Programmer and the firmware upgrade write the same line; store's carries its
// off-line settings.
TEST_F(ProductionLine, StoreAndFirmwareUpgradeTraceTheirOperation) {
    const std::string file = image();
    const std::string log = (dir / "trace.jsonl").string();
    ASSERT_EQ(halden(emulator(),
                     "store --part RQD-2 --serial --serial-number 1A --log " + log + " " + file)
                  .code,
              0);
    ASSERT_EQ(halden(emulator(",offline=0"), "store --part RQD-2 --log " + log + " " + file).code,
              1);
    ASSERT_EQ(
        halden("firmware=old,state=" + (dir / "old").string(), "firmware upgrade --log " + log)
            .code,
        0);
    ASSERT_EQ(halden("", "firmware upgrade --log " + log).code, 1);
    const auto written = lines(readFile(log));
    ASSERT_EQ(written.size(), 4u);
    const QJsonObject stored = parseLine(written[0]);
    EXPECT_EQ(stored["operation"].toString(), "store");
    EXPECT_EQ(stored["result"].toString(), "ok");
    EXPECT_EQ(stored["message"].toString(), "Update Programmer ok !");
    EXPECT_EQ(stored["image"].toObject()["size"].toInt(), 1000);
    const QJsonObject serial = stored["serial"].toObject();
    EXPECT_TRUE(serial["enabled"].toBool());
    EXPECT_EQ(serial["serialNumber"].toString(), "0x0000001A");
    EXPECT_EQ(serial["startAddress"].toString(), "0x0001FFF0");
    EXPECT_EQ(parseLine(written[1])["result"].toString(), "failed");
    EXPECT_NE(parseLine(written[1])["message"].toString().indexOf("no off-line capability"), -1);
    const QJsonObject upgraded = parseLine(written[2]);
    EXPECT_EQ(upgraded["operation"].toString(), "firmware upgrade");
    EXPECT_EQ(upgraded["result"].toString(), "ok");
    EXPECT_EQ(upgraded["message"].toString(), "Tavro is upgraded !");
    EXPECT_FALSE(upgraded["adapter"].toObject()["path"].toString().isEmpty());
    EXPECT_EQ(parseLine(written[3])["result"].toString(), "failed");
}

TEST_F(ProductionLine, AGangStoresTheProjectInEveryAdapter) {
    const std::string emulated = emulator(",adapters=2");
    const auto result = halden(emulated, "gang store --part RQD-2 " + image());
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(lines(result.output).size(), 2u) << result.output;
    for (const char* k : {"1", "2"}) {
        EXPECT_EQ(readFile(dir / (std::string("emu/adapter-") + k + "/stored-code.bin")),
                  pattern(1000));
    }
}

// An attached adapter that is not in programmer mode is not left out in silence: it gets
// its result line and its trace-log line with the reason, and the gang fails with it.
TEST_F(ProductionLine, AGangSaysWhyAnAdapterOutOfProgrammerModeCannotTakePart) {
    dir.write("emu/adapter-2/mode.txt", "030B");
    dir.write("emu/adapter-3/mode.txt", "0331");
    const std::string log = (dir / "gang.jsonl").string();
    const auto result =
        halden(emulator(",adapters=3"), "gang --log " + log + " program --part RQD-2 " + image());
    EXPECT_EQ(result.code, 1) << result.output;
    const auto reported = lines(result.output);
    const auto resultLine = [&](const char* pid, const char* index) {
        const std::string head = std::string("Pid_") + pid + "#7&7a5e0&" + index + "&0#";
        const auto found = std::find_if(reported.begin(), reported.end(), [&](const auto& line) {
            return line.find(head) != std::string::npos && line.find(": ok") == std::string::npos &&
                   line.find(": failed: ") != std::string::npos;
        });
        return found == reported.end() ? std::string() : *found;
    };
    EXPECT_NE(resultLine("030b", "2")
                  .find("failed: cannot take part: the adapter is in its boot "
                        "loader; halden firmware upgrade"),
              std::string::npos)
        << result.output;
    EXPECT_NE(resultLine("0331", "3")
                  .find("failed: cannot take part: the adapter needs new "
                        "firmware"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(std::count_if(reported.begin(), reported.end(),
                            [](const auto& line) {
                                return line.size() > 4 && line.substr(line.size() - 4) == ": ok";
                            }),
              1)
        << result.output;
    EXPECT_EQ(readFile(dir / "emu/adapter-1/flash.bin").substr(0, 1000), pattern(1000));
    EXPECT_FALSE(std::filesystem::exists(dir / "emu/adapter-2/flash.bin"));

    std::map<std::string, QJsonObject> logged;
    for (const auto& line : lines(readFile(log))) {
        const QJsonObject record = parseLine(line);
        logged[record["adapter"].toObject()["path"].toString().toStdString()] = record;
    }
    ASSERT_EQ(logged.size(), 3u) << readFile(log);
    for (const auto& [path, record] : logged) {
        EXPECT_EQ(record["operation"].toString(), "program");
        const bool bootLoader = path.find("Pid_030b") != std::string::npos;
        const bool needsFirmware = path.find("Pid_0331") != std::string::npos;
        EXPECT_EQ(record["result"].toString(), bootLoader || needsFirmware ? "failed" : "ok");
        if (bootLoader || needsFirmware) {
            EXPECT_TRUE(record["message"].toString().startsWith("cannot take part: the adapter "))
                << path;
        }
    }
}

TEST_F(ProductionLine, ALogThatCannotBeOpenedStopsBeforeTheAdapterIsTouched) {
    const auto result =
        halden(emulator(), "program --part RQD-2 --log " + (dir / "missing/trace.jsonl").string() +
                               " " + image());
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.output.find("cannot open the trace log"), std::string::npos) << result.output;
    // The emulator makes its state folder when the adapter is opened.
    EXPECT_FALSE(std::filesystem::exists(dir / "emu"));
}

// The log may be a FIFO or a device: one nobody reads stops the command at once, before
// the adapter is touched; one that reads takes the line, and the command passes.
TEST_F(ProductionLine, ALogOntoAFifoOrADeviceIsWrittenInPlace) {
    const std::string fifo = (dir / "trace.fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto result = halden(emulator(), "program --part RQD-2 --log " + fifo + " " + image());
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.output.find("halden program: cannot open the trace log " + fifo +
                                 " for appending: no process reads from this FIFO"),
              std::string::npos)
        << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "emu"));

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    result = halden(emulator(), "program --part RQD-2 --log " + fifo + " " + image());
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(result.output, "[Pass !] Update Target ok !\n");
    char line[4096] = {};
    const ssize_t got = ::read(reader, line, sizeof line - 1);
    ::close(reader);
    ASSERT_GT(got, 0);
    EXPECT_EQ(parseLine(std::string(line, static_cast<std::size_t>(got)))["result"].toString(),
              "ok");

    result = halden(emulator(), "blank-check --part RQD-2 --log /dev/null");
    EXPECT_EQ(result.code, 1) << "the chip was programmed";
    EXPECT_EQ(result.output.find("cannot write the trace log"), std::string::npos) << result.output;
    result = halden(emulator(), "verify --part RQD-2 --log /dev/null " + image());
    EXPECT_EQ(result.code, 0) << result.output;
}

TEST_F(ProductionLine, AGangProgramsEveryAdapterAndSharesOneLog) {
    const std::string emulated = emulator(",adapters=4");
    const auto listed = halden(emulated, "adapters --json");
    ASSERT_EQ(listed.code, 0) << listed.output;
    const QJsonArray adapters =
        QJsonDocument::fromJson(QByteArray::fromStdString(listed.output)).array();
    ASSERT_EQ(adapters.size(), 4);
    std::set<QString> paths;
    for (qsizetype k = 0; k < adapters.size(); ++k) {
        const QJsonObject adapter = adapters.at(k).toObject();
        paths.insert(adapter["path"].toString());
        EXPECT_EQ(adapter["mode"].toString(), "programmer");
        EXPECT_EQ(adapter["firmware"].toString(), "1.5");
        EXPECT_EQ(adapter["serialNumber"].toString(), QString("EMU-%1").arg(k + 1));
    }
    EXPECT_EQ(paths.size(), 4u);

    // --adapter opens the one it names, and no other.
    const std::string third = adapters.at(2).toObject()["path"].toString().toStdString();
    const std::string file = image();
    auto result = halden(emulated, "program --part RQD-2 --adapter '" + third + "' " + file);
    ASSERT_EQ(result.code, 0) << result.output;
    EXPECT_EQ(readFile(dir / "emu/adapter-3/flash.bin").substr(0, 1000), pattern(1000));
    EXPECT_FALSE(std::filesystem::exists(dir / "emu/adapter-1/flash.bin"));

    const std::string log = (dir / "gang.jsonl").string();
    result = halden(emulated, "gang program --part RQD-2 --log " + log + " " + file);
    ASSERT_EQ(result.code, 0) << result.output;
    const auto reported = lines(result.output);
    ASSERT_EQ(reported.size(), 4u) << result.output;
    for (qsizetype k = 0; k < 4; ++k) {
        EXPECT_EQ(reported[k], adapters.at(k).toObject()["path"].toString().toStdString() + ": ok");
        const auto flash = readFile(dir / ("emu/adapter-" + std::to_string(k + 1) + "/flash.bin"));
        EXPECT_EQ(flash.substr(0, 1000), pattern(1000)) << k;
    }
    std::set<QString> logged;
    for (const auto& line : lines(readFile(log))) {
        logged.insert(parseLine(line)["adapter"].toObject()["path"].toString());
    }
    EXPECT_EQ(logged, paths);

    // One changed cell fails that adapter alone, and the gang with it.
    std::string flash = readFile(dir / "emu/adapter-2/flash.bin");
    flash[7] = '\x55';
    dir.write("emu/adapter-2/flash.bin", flash);
    const std::string checks = (dir / "checks.jsonl").string();
    result = halden(emulated, "gang --log " + checks + " verify --part RQD-2 " + file);
    EXPECT_EQ(result.code, 1);
    const auto checked = lines(readFile(checks));
    ASSERT_EQ(checked.size(), 4u);
    EXPECT_EQ(std::count_if(checked.begin(), checked.end(),
                            [](const std::string& line) {
                                return parseLine(line)["result"].toString() == "failed";
                            }),
              1);
    EXPECT_NE(result.output.find(adapters.at(1).toObject()["path"].toString().toStdString() +
                                 ": failed: [Error !] Verify failed at 0x00000007"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("1 byte differs !; the operation failed after reading the chip "
                                 "back (read back with CMD_READ_TARGET_CODE (0x1E))\n"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(third + ": ok"), std::string::npos);
}

} // namespace
} // namespace halden
