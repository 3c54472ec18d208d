#include "common/TraceLog.h"
#include "programmer/programming/FlashComparison.h"
#include "programmer/programming/TraceRecord.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace halden {
namespace {

std::vector<std::string> linesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Four processes appending 200 lines each, all at once, leave 800 whole lines: every
// line is one of the writers' own and each writer's lines come in its order.
TEST(TraceLog, FourProcessesAppendingAtOnceLeaveWholeLines) {
    test::TempDir dir;
    const std::string path = (dir / "trace.jsonl").string();
    constexpr int kWriters = 4;
    constexpr int kLines = 200;
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            TraceLog log;
            if (!log.open(path).empty()) {
                _exit(2);
            }
            for (int i = 0; i < kLines; ++i) {
                TraceRecord record;
                record.operation = "program";
                record.message = "writer " + std::to_string(w) + " line " + std::to_string(i) +
                                 " " + std::string(300 + 37 * w, 'a' + w);
                if (!log.append(record.jsonLine()).empty()) {
                    _exit(3);
                }
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto lines = linesOf(path);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kWriters * kLines));
    std::vector<int> next(kWriters, 0);
    for (const auto& line : lines) {
        const auto at = line.find("\"message\":\"writer ");
        ASSERT_NE(at, std::string::npos) << line;
        int w = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(line.c_str() + at, "\"message\":\"writer %d line %d", &w, &i), 2);
        ASSERT_TRUE(w >= 0 && w < kWriters);
        EXPECT_EQ(i, next[w]++);
        const std::string filler(300 + 37 * w, 'a' + w);
        EXPECT_NE(line.find(" " + filler + "\""), std::string::npos) << "torn: " << line;
        EXPECT_EQ(line.front(), '{');
        EXPECT_EQ(line.back(), '}');
    }
}

TEST(TraceLog, AFileThatCannotBeOpenedSaysWhy) {
    test::TempDir dir;
    TraceLog log;
    EXPECT_FALSE(log.open((dir / "no/such/folder/trace.jsonl").string()).empty());
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.append("{}\n").empty());
}

// A FIFO and a device take the line as it is written: a FIFO that nobody reads fails at
// once instead of blocking, and neither is asked to flush to a disk it has not got.
TEST(TraceLog, FifosAndDevicesTakeTheLineWithoutAFlush) {
    test::TempDir dir;
    const std::string fifo = (dir / "trace.fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TraceLog unread;
    EXPECT_EQ(unread.open(fifo), "no process reads from this FIFO");
    EXPECT_FALSE(unread.isOpen());

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    TraceLog read;
    ASSERT_EQ(read.open(fifo), "");
    EXPECT_EQ(read.append("{\"result\":\"ok\"}\n"), "");
    char buffer[64] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 16);
    EXPECT_STREQ(buffer, "{\"result\":\"ok\"}\n");
    // A reader that went away fails the next line; the process is not ended by SIGPIPE.
    ::close(reader);
    EXPECT_EQ(read.append("{}\n"), std::strerror(EPIPE));

    TraceLog null;
    ASSERT_EQ(null.open("/dev/null"), "");
    EXPECT_EQ(null.append("{}\n"), "");
    TraceLog full;
    ASSERT_EQ(full.open("/dev/full"), "");
    EXPECT_EQ(full.append("{}\n"), std::strerror(ENOSPC));
}

TEST(TraceRecord, EveryFieldIsWrittenAndUnknownOnesAreNull) {
    TraceRecord record;
    record.time = std::chrono::system_clock::time_point(std::chrono::milliseconds(1781083920123));
    record.operation = "store";
    record.serial = std::vector<TraceRecord::Field>{{"maxCounter", TraceRecord::number(100)},
                                                    {"string", TraceRecord::text("SN\"1\\")}};
    record.ok = true;
    record.message = "line\nbreak\x01";
    EXPECT_EQ(record.jsonLine(),
              "{\"time\":\"2026-06-10T09:32:00.123Z\",\"operation\":\"store\",\"part\":null,"
              "\"chipId\":null,\"image\":null,\"optionBytes\":null,"
              "\"adapter\":{\"path\":null,\"firmware\":null},"
              "\"serial\":{\"maxCounter\":100,\"string\":\"SN\\\"1\\\\\"},\"result\":\"ok\","
              "\"message\":\"line\\nbreak\\u0001\",\"detail\":null,\"durationMs\":0,"
              "\"host\":null}\n");

    const std::uint8_t bytes[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    record.image = TraceRecord::imageOf({"a.bin", "b.hex@1000"}, bytes);
    record.optionBytes = std::vector<std::uint8_t>{0x0C, 0xF3};
    record.chipId = 0x12800420;
    const std::string line = record.jsonLine();
    // The CRC-32 check value of "123456789".
    EXPECT_NE(line.find("\"image\":{\"files\":[\"a.bin\",\"b.hex@1000\"],\"size\":9,"
                        "\"checksum\":\"0x01DD\",\"crc32\":\"0xCBF43926\"}"),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("\"optionBytes\":\"0CF3\""), std::string::npos);
    EXPECT_NE(line.find("\"chipId\":\"0x12800420\""), std::string::npos);
    record.ok = false;
    record.detail = "erasing the chip: CMD_ERASE_CHIP (0x0D) failed";
    EXPECT_NE(record.jsonLine().find(
                  ",\"detail\":\"erasing the chip: CMD_ERASE_CHIP (0x0D) failed\",\"durationMs\""),
              std::string::npos);
}

TEST(FlashComparison, FirstDifferenceAndCount) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> chip;
        std::vector<std::uint8_t> file;
        std::optional<std::uint32_t> first;
        std::uint8_t chipByte;
        std::uint8_t fileByte;
        std::uint32_t count;
    };
    const Case cases[] = {
        {"equal", {1, 2, 3}, {1, 2, 3}, std::nullopt, 0, 0, 0},
        {"empty", {}, {}, std::nullopt, 0, 0, 0},
        {"one cell", {1, 0, 3}, {1, 2, 3}, 1, 0, 2, 1},
        {"several", {9, 2, 9, 9}, {1, 2, 3, 4}, 0, 9, 1, 3},
        {"chip short", {1}, {1, 0xFF}, 1, 0xFF, 0xFF, 1},
        {"file short", {1, 5, 6}, {1}, 1, 5, 0xFF, 2},
    };
    for (const auto& c : cases) {
        const auto difference = FlashComparison::compare(c.chip, c.file);
        ASSERT_EQ(difference.has_value(), c.first.has_value()) << c.name;
        if (difference) {
            EXPECT_EQ(difference->firstAddress, *c.first) << c.name;
            EXPECT_EQ(difference->chipByte, c.chipByte) << c.name;
            EXPECT_EQ(difference->fileByte, c.fileByte) << c.name;
            EXPECT_EQ(difference->count, c.count) << c.name;
        }
    }
    const std::vector<std::uint8_t> blank(300, 0xFF);
    EXPECT_FALSE(FlashComparison::firstNotBlank(blank));
    auto written = blank;
    written[299] = 0xFE;
    EXPECT_EQ(FlashComparison::firstNotBlank(written), 299u);
}

} // namespace
} // namespace halden
