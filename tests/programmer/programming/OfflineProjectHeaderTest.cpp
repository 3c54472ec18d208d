#include "programmer/programming/OfflineProjectHeader.h"

#include "programmer/catalogue/PartRecord.h"

#include <gtest/gtest.h>

#include <numeric>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

PartRecord part(std::uint8_t optionCount) {
    PartRecord record;
    record.reset();
    record.flashSize = 0x40000;
    record.partIndex = 0x0124;
    record.chipId = 0x12800418;
    record.parameterBytes = {0x14, 0x24, 0x0D};
    record.optionCount = optionCount;
    for (std::size_t i = 0; i < optionCount; ++i) {
        record.optionBytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    return record;
}

TEST(OfflineProjectHeader, EveryFieldAtItsOffset) {
    OfflineSettings settings = OfflineSettings::reset(0x40000);
    settings.setSerialEnabled(true);
    settings.setAutoIncrement(true);
    settings.setSerialString(u"AB");
    settings.setSerialNumber("1A2B3C4D");
    settings.setMaxCounter("1234");
    const Bytes header = OfflineProjectHeader::forPart(part(16), settings, 0x1234, 0xBEEF).bytes();

    ASSERT_EQ(header.size(), 85u);
    EXPECT_EQ(header[2], 0x55);
    EXPECT_EQ(header[3], 0x00);
    const std::uint32_t sum = std::accumulate(header.begin() + 2, header.end(), 0u);
    EXPECT_EQ(header[0] | (header[1] << 8), sum & 0xFFFF);
    const Bytes expected = {
        0x01,                   // 4: 1
        0x24, 0x01,             // 5: part index
        0x18, 0x04, 0x80, 0x12, // 7: chip ID
    };
    EXPECT_EQ(Bytes(header.begin() + 4, header.begin() + 11), expected);
    EXPECT_EQ(Bytes(header.begin() + 11, header.begin() + 19), Bytes(8, 0));
    EXPECT_EQ(Bytes(header.begin() + 19, header.begin() + 25),
              (Bytes{0x34, 0x12, 0, 0, 0xEF, 0xBE}));
    EXPECT_EQ(Bytes(header.begin() + 25, header.begin() + 36), Bytes(11, 0));
    EXPECT_EQ(header[36], 0x03);
    EXPECT_EQ(Bytes(header.begin() + 37, header.begin() + 41), (Bytes{0xF0, 0xFF, 0x03, 0x00}));
    EXPECT_EQ(Bytes(header.begin() + 41, header.begin() + 44), (Bytes{'A', 'B', 0}));
    EXPECT_EQ(Bytes(header.begin() + 53, header.begin() + 57), (Bytes{0x4D, 0x3C, 0x2B, 0x1A}));
    EXPECT_EQ(Bytes(header.begin() + 57, header.begin() + 61), Bytes(4, 0));
    EXPECT_EQ(Bytes(header.begin() + 61, header.begin() + 63), (Bytes{0xD2, 0x04}));
    EXPECT_EQ(Bytes(header.begin() + 63, header.begin() + 65), Bytes(2, 0));
    EXPECT_EQ(Bytes(header.begin() + 65, header.begin() + 69), (Bytes{0x14, 0x24, 0x0D, 16}));
    EXPECT_EQ(header[69], 0xA0);
    EXPECT_EQ(header[84], 0xAF);

    const auto parsed = OfflineProjectHeader::parse(header);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->bytes(), header) << "the fields read back build the same bytes";
}

TEST(OfflineProjectHeader, SerialDisabledStillCarriesAddressStringAndNumber) {
    OfflineSettings settings = OfflineSettings::reset(0x18000);
    settings.setSerialNumber("77");
    const Bytes header = OfflineProjectHeader::forPart(part(0), settings, 1, 1).bytes();
    ASSERT_EQ(header.size(), 69u);
    EXPECT_EQ(header[36] & 1, 0);
    EXPECT_EQ(Bytes(header.begin() + 37, header.begin() + 41), (Bytes{0xF0, 0x7F, 0x01, 0x00}));
    EXPECT_EQ(Bytes(header.begin() + 41, header.begin() + 53), Bytes(12, ' '));
    EXPECT_EQ(header[53], 0x77);
}

TEST(OfflineProjectHeader, ParseRefusesBytesThatAreNotOneHeader) {
    const Bytes good =
        OfflineProjectHeader::forPart(part(4), OfflineSettings::reset(0x40000), 8, 8).bytes();
    Bytes badChecksum = good;
    badChecksum[40] ^= 1;
    Bytes badLength = good;
    badLength.push_back(0);
    Bytes badCount = good;
    badCount[68] = 5;
    badCount[0] = static_cast<std::uint8_t>(badCount[0] + 1); // keeps the checksum right
    for (const Bytes& bytes :
         {badChecksum, badLength, badCount, Bytes(good.begin(), good.begin() + 68)}) {
        EXPECT_FALSE(OfflineProjectHeader::parse(bytes));
    }
}

TEST(OfflineSettings, StartAddressRules) {
    struct Case {
        const char* typed;
        std::uint32_t stored;
        OfflineSettings::AddressChange change;
        const char* shown;
    };
    using Change = OfflineSettings::AddressChange;
    const Case cases[] = {
        {"00001001", 0x1000, Change::Rounded, "00001000"},
        {"0003FFFC", 0x3FFF0, Change::Clamped, "0003FFF0"},
        {"FFFFFFFF", 0x3FFF0, Change::Clamped, "0003FFF0"},
        {"1001", 0x1001, Change::None, ""}, // fewer than 8 digits: as typed until OK
        {"0003FFF0", 0x3FFF0, Change::None, ""},
        {"00000004", 4, Change::None, ""},
        {"", 0x3FFF0, Change::None, ""}, // nothing to read: the value stays
    };
    for (const auto& c : cases) {
        OfflineSettings settings = OfflineSettings::reset(0x40000);
        const auto edit = settings.setStartAddress(c.typed, 0x40000);
        EXPECT_EQ(settings.startAddress, c.stored) << c.typed;
        EXPECT_EQ(edit.change, c.change) << c.typed;
        EXPECT_EQ(edit.shown, c.shown) << c.typed;
        EXPECT_EQ(settings.endAddress(), c.stored + 15) << c.typed;
    }
}

TEST(OfflineSettings, OkRoundsDownWhatFewerDigitsLeft) {
    OfflineSettings settings = OfflineSettings::reset(0x40000);
    settings.setStartAddress("1003", 0x40000);
    EXPECT_EQ(settings.roundStartAddressForOk(), std::optional<std::string>("00001000"));
    EXPECT_EQ(settings.startAddress, 0x1000u);
    EXPECT_EQ(settings.roundStartAddressForOk(), std::nullopt) << "the second OK closes";
}

TEST(OfflineSettings, MaxCounterStringAndNumber) {
    OfflineSettings settings = OfflineSettings::reset(0x40000);
    EXPECT_TRUE(settings.setMaxCounter("70000"));
    EXPECT_EQ(settings.maxCounter, 65530);
    EXPECT_TRUE(settings.setMaxCounter("99999999999999"));
    EXPECT_EQ(settings.maxCounter, 65530);
    EXPECT_FALSE(settings.setMaxCounter("65530"));
    EXPECT_EQ(settings.maxCounter, 65530);
    EXPECT_FALSE(settings.setMaxCounter(""));
    EXPECT_EQ(settings.maxCounter, 0);

    EXPECT_FALSE(settings.setSerialString(u"Caf\u00E9 \u20AC\u4E2D"));
    EXPECT_EQ(settings.serialString,
              (std::array<std::uint8_t, 12>{'C', 'a', 'f', 0xE9, ' ', 0x80, '?', 0, 0, 0, 0, 0}));
    EXPECT_TRUE(settings.setSerialString(u"0123456789ABCD"));
    EXPECT_EQ(std::string(settings.serialString.begin(), settings.serialString.end()),
              "0123456789AB");

    settings.setSerialNumber("00ab12CD");
    EXPECT_EQ(settings.serialNumber, 0x00AB12CDu);
    settings.setSerialNumber("");
    EXPECT_EQ(settings.serialNumber, 0x00AB12CDu) << "text without a digit changes nothing";
}

TEST(OfflineSettings, SerialOverCodeIsFound) {
    Bytes code(0x2000, 0xFF);
    code[0x1005] = 0x00;
    OfflineSettings settings = OfflineSettings::reset(0x40000);
    settings.setStartAddress("00001000", 0x40000);
    EXPECT_FALSE(settings.serialOverlapsCode(code)) << "serial disabled: nothing is written";
    settings.setSerialEnabled(true);
    EXPECT_TRUE(settings.serialOverlapsCode(code));
    settings.setStartAddress("00001008", 0x40000);
    EXPECT_FALSE(settings.serialOverlapsCode(code)) << "0xFF bytes and bytes past the code";
    settings.setStartAddress("00001FF8", 0x40000);
    code.back() = 0x12;
    EXPECT_TRUE(settings.serialOverlapsCode(code)) << "a span running past the code's end";
}

} // namespace
} // namespace halden
