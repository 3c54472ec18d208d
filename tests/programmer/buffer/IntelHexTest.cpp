#include "programmer/buffer/IntelHex.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One record line with its checksum.
std::string record(std::uint8_t type, std::uint16_t address, const Bytes& data) {
    std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (address >> 8) + address + type);
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address,
                  type);
    std::string line = text;
    for (const std::uint8_t byte : data) {
        std::snprintf(text, sizeof text, "%02X", byte);
        line += text;
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    std::snprintf(text, sizeof text, "%02X\n", static_cast<std::uint8_t>(-sum));
    return line + text;
}

std::string linear(std::uint16_t high) {
    return record(4, 0, {static_cast<std::uint8_t>(high >> 8), static_cast<std::uint8_t>(high)});
}

constexpr std::size_t kBound = 0x40000;

TEST(IntelHex, ConvertsRecordsToAFlashImage) {
    struct Case {
        const char* name;
        std::string text;
        Bytes head;       // the image's first bytes
        std::size_t size; // the image's length
    };
    const Case cases[] = {
        {"data at 0", record(0, 0, {1, 2, 3}) + record(1, 0, {}), {1, 2, 3}, 3},
        {"gap filled with 0xFF",
         record(0, 4, {9}) + record(0, 0, {7}),
         {7, 0xFF, 0xFF, 0xFF, 9},
         5},
        {"0x08000000 maps to 0", linear(0x0800) + record(0, 0x10, {5}), {0xFF}, 0x11},
        {"lower case and CR LF", ":03000000616263d7\r\n:00000001ff\r\n", {0x61, 0x62, 0x63}, 3},
        {"a bad checksum ends it",
         record(0, 0, {1}) + ":0100010002FF\n" + record(0, 2, {3}),
         {1},
         1},
        {"end of file ends it", record(0, 0, {1}) + record(1, 0, {}) + record(0, 1, {2}), {1}, 1},
        {"start address ends it",
         record(0, 0, {1}) + record(5, 0, {0, 0, 0, 0}) + record(0, 1, {2}),
         {1},
         1},
        {"unknown type ends it", record(0, 0, {1}) + record(9, 0, {}) + record(0, 1, {2}), {1}, 1},
        {"lines without ':' skipped", "garbage\n\n" + record(0, 0, {4}), {4}, 1},
        {"segment address", record(2, 0, {0x10, 0x00}) + record(0, 0, {6}), {0xFF}, 0x10001},
        {"extended record of the wrong size ignored",
         record(4, 0, {0, 1, 0}) + record(0, 0, {8}),
         {8},
         1},
        {"no data", record(1, 0, {}), {}, 0},
        {"short record", ":0400000001\n", {}, 0},
    };
    for (const auto& c : cases) {
        const auto result = IntelHex::toImage(c.text, kBound);
        EXPECT_EQ(result.image.size(), c.size) << c.name;
        ASSERT_GE(result.image.size(), c.head.size()) << c.name;
        EXPECT_EQ(Bytes(result.image.begin(), result.image.begin() + c.head.size()), c.head)
            << c.name;
        EXPECT_FALSE(result.clipped) << c.name;
    }
}

TEST(IntelHex, AboveTheFirst64KiBGapsAreFFAndDataLands) {
    const auto result = IntelHex::toImage(
        linear(0x0801) + record(0, 0x0000, {0xAA}) + record(0, 0x0010, {0xBB}), kBound);
    ASSERT_EQ(result.image.size(), 0x10011u);
    EXPECT_EQ(result.image[0x10000], 0xAA);
    EXPECT_EQ(result.image[0x10010], 0xBB);
    EXPECT_EQ(result.image[0x0FFFF], 0xFF);
    EXPECT_EQ(result.image[0x10005], 0xFF);
}

TEST(IntelHex, NeverGrowsPastTheBound) {
    // A record across the end of a 64 KiB page, a base far beyond the chip, and data
    // that straddles the bound.
    const auto across = IntelHex::toImage(record(0, 0xFFFE, {1, 2, 3, 4}), kBound);
    EXPECT_EQ(across.image.size(), 0x10002u);
    EXPECT_EQ(across.image[0x10001], 4);
    EXPECT_FALSE(across.clipped);

    // The image stops at the bound: up to there it is the gap before the data.
    const auto far = IntelHex::toImage(linear(0x7FFF) + record(0, 0, {1}), kBound);
    EXPECT_EQ(far.image, Bytes(kBound, 0xFF));
    EXPECT_EQ(far.end, 0x7FFF0001u);
    EXPECT_TRUE(far.clipped);

    const auto straddle = IntelHex::toImage(linear(0x0003) + record(0, 0xFFFE, {1, 2, 3}), kBound);
    EXPECT_EQ(straddle.image.size(), kBound);
    EXPECT_EQ(straddle.image[kBound - 1], 2);
    EXPECT_TRUE(straddle.clipped);
}

TEST(IntelHex, AnEmptyDataRecordStillMovesTheEnd) {
    const auto result = IntelHex::toImage(":00010000FF\n", kBound);
    EXPECT_EQ(result.image, Bytes(0x100, 0xFF));
    EXPECT_EQ(result.dataRecords, 1u);
    EXPECT_TRUE(result.complete());
}

// Data beyond the bound is counted to the image's end, so a caller cuts the image at the
// bound instead of losing everything after the gap.
TEST(IntelHex, DataBeyondTheBoundKeepsTheImageUpToIt) {
    const Bytes first(16, 0x11);
    const auto result = IntelHex::toImage(
        record(0, 0, first) + linear(1) + record(0, 0x9000, Bytes(16, 0x22)), 0x18000);
    EXPECT_EQ(result.end, 0x19010u);
    EXPECT_TRUE(result.clipped);
    ASSERT_EQ(result.image.size(), 0x18000u);
    EXPECT_EQ(Bytes(result.image.begin(), result.image.begin() + 16), first);
    EXPECT_EQ(std::count(result.image.begin() + 16, result.image.end(), 0xFF), 0x18000 - 16);
}

TEST(IntelHex, SaysWhichLineLostDataRecords) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t lostLine;
        std::string loss; // empty: complete
    };
    const std::string data = record(0, 0, {1, 2});
    const Case cases[] = {
        {"complete, start address after the data",
         data + record(5, 0, {0, 0, 0, 0}) + record(1, 0, {}), 0, ""},
        {"bad checksum in the middle", data + ":0100020002FF\n" + record(0, 3, {4}), 2,
         "line 2: checksum error ends the conversion; the data records from line 2 on were not "
         "loaded"},
        {"bad checksum, CR LF lines", data + "\r\n" + record(0, 8, {1}) + ":0100020002FF\r\n", 4,
         "line 4: checksum error"},
        {"start segment address before the data", record(3, 0, {0, 0, 0, 0}) + data, 2,
         "line 1: a record of type 3 (start segment address) ends the conversion; the data "
         "records from line 2 on"},
        {"start linear address before the data", record(5, 0, {0, 0, 0, 0}) + data, 2,
         "type 5 (start linear address)"},
        {"end of file before more data", data + record(1, 0, {}) + "\n" + data, 4,
         "line 2: a record of type 1 (end of file)"},
        {"byte-order mark before the first record",
         "\xEF\xBB\xBF" + data + record(0, 2, {3}) + record(1, 0, {}), 1,
         "line 1: a record that does not begin with ':' was skipped"},
        {"bad checksum on the end record only", data + ":00000001FE\n", 0, ""},
        {"empty file", "", 0, "the file holds no data record"},
        {"text", "hello\nworld\n", 0, "the file holds no data record"},
        {"only an end record", record(1, 0, {}), 0, "the file holds no data record"},
        {"a line of zeros after ':'", ":" + std::string(2000, '0') + "\n", 0,
         "the file's data records hold no byte"},
        {"no bytes, then end of file", ":0000000000\n" + record(1, 0, {}), 0,
         "line 2: a record of type 1 (end of file) ends the conversion; the file's data records "
         "hold no byte"},
    };
    for (const auto& c : cases) {
        const auto result = IntelHex::toImage(c.text, kBound);
        EXPECT_EQ(result.lostLine, c.lostLine) << c.name;
        EXPECT_EQ(result.complete(), c.loss.empty()) << c.name;
        const std::string loss = IntelHex::loss(result);
        EXPECT_EQ(loss.empty(), c.loss.empty()) << c.name;
        EXPECT_NE(loss.find(c.loss), std::string::npos) << c.name << ": " << loss;
    }
}

// Records as converters write them are read without a search for their line's end; any
// other line takes the general reading. A trailing blank after a record of odd length is
// an unpaired character the general reading ignores, so each text, and the same text with
// such blanks, must give the same result in every field, whatever the records hold.
TEST(IntelHex, PlainRecordsReadAsTheGeneralReadingReadsThem) {
    std::mt19937 random(1209);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const auto randomRecord = [&] {
        const unsigned kind = pick(20);
        const std::uint8_t type = kind < 14    ? 0
                                  : kind < 16  ? 4
                                  : kind == 16 ? 2
                                  : kind == 17 ? 1
                                               : 5;
        Bytes data(type == 0   ? pick(4) == 0 ? pick(256) : pick(33)
                     : type == 1 ? 0
                   : type == 5 ? 4
                               : 2);
        for (auto& byte : data) {
            byte = static_cast<std::uint8_t>(type == 4 ? pick(5) : random());
        }
        std::string line = record(type, static_cast<std::uint16_t>(random()), data);
        line.pop_back(); // its line end is chosen below
        switch (pick(12)) {
        case 0: // a bad checksum
            line.back() = line.back() == '0' ? '1' : '0';
            break;
        case 1: // a character that is no hex digit
            line[1 + pick(static_cast<unsigned>(line.size() - 1))] = "G :x\t"[pick(5)];
            break;
        case 2: // one pair short, or one pair more than the count says
            line = pick(2) == 0 ? line.substr(0, line.size() - 2) : line + "00";
            break;
        case 3:
            std::transform(line.begin(), line.end(), line.begin(),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
            break;
        case 4: // no record at all, or one hidden behind a byte-order mark
            line = pick(2) == 0 ? "\xEF\xBB\xBF" + line : std::string(pick(3), ' ');
            break;
        default:
            break;
        }
        return line;
    };
    for (int text = 0; text < 400; ++text) {
        std::string plain;
        std::string general;
        const unsigned lines = 1 + pick(24);
        for (unsigned i = 0; i < lines; ++i) {
            const std::string line = randomRecord();
            const char* end =
                i + 1 == lines && pick(3) == 0 ? "" : std::array{"\n", "\r\n", "\r"}[pick(3)];
            plain += line + end;
            const bool unpaired = !line.empty() && line.front() == ':' && line.size() % 2 == 1;
            general += line + (unpaired ? " " : "") + end;
        }
        const auto a = IntelHex::toImage(plain, 0x30000);
        const auto b = IntelHex::toImage(general, 0x30000);
        const auto fields = [](const IntelHex::Result& r) {
            return std::tuple(r.image, r.clipped, r.badChecksum, r.lines, r.end, r.dataRecords,
                              r.stopLine, r.stopType, r.lostLine);
        };
        ASSERT_EQ(fields(a), fields(b)) << plain;
    }
}

// objcopy writes the HEX; converting it back must give exactly the binary.
TEST(IntelHex, RoundTripsWhatObjcopyWrites) {
    if (std::system("objcopy --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "objcopy is not installed";
    }
    test::TempDir dir;
    std::mt19937 random(20261209);
    Bytes binary(0x2345A);
    for (auto& byte : binary) {
        byte = static_cast<std::uint8_t>(random());
    }
    std::ofstream(dir / "in.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(binary.data()),
               static_cast<std::streamsize>(binary.size()));
    const std::string command = "objcopy -I binary -O ihex --change-addresses 0x08000000 '" +
                                (dir / "in.bin").string() + "' '" + (dir / "out.hex").string() +
                                "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir / "out.hex");
    std::stringstream text;
    text << in.rdbuf();
    const auto result = IntelHex::toImage(text.str(), kBound);
    EXPECT_FALSE(result.badChecksum);
    EXPECT_EQ(result.image, binary);
}

} // namespace
} // namespace halden
