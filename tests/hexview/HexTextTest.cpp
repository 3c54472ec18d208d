#include "hexview/HexText.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ParseCase {
    const char* text;
    std::optional<Bytes> expected;
};

TEST(HexTextTest, ParseBytesReadsGroupsOfDigitPairs) {
    const ParseCase cases[] = {
        {"DE AD BE EF", Bytes{0xDE, 0xAD, 0xBE, 0xEF}},
        {"deadbeef", Bytes{0xDE, 0xAD, 0xBE, 0xEF}},
        {" 01,02\r\n0x0A\t0Xff ", Bytes{0x01, 0x02, 0x0A, 0xFF}},
        {"", Bytes{}},
        {"  ", Bytes{}},
        {"ABC", std::nullopt},
        {"12 G0", std::nullopt},
        {"0x", std::nullopt},
        {"12-34", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(HexText::parseBytes(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(HexTextTest, BytesTextParsesBackToTheBytes) {
    const Bytes bytes = {0x00, 0x7F, 0x80, 0xFF, 0x0A};
    const std::string text = HexText::bytes(bytes.data(), bytes.size());
    EXPECT_EQ(text, "00 7F 80 FF 0A");
    EXPECT_EQ(HexText::parseBytes(text), bytes);
    EXPECT_EQ(HexText::bytes(nullptr, 0), "");
}

struct AddressCase {
    const char* text;
    std::optional<std::uint64_t> expected;
};

TEST(HexTextTest, ParseAddressTakesUpTo16Digits) {
    const AddressCase cases[] = {
        {"1F0", 0x1F0},
        {" 0x3ffff ", 0x3FFFF},
        {"FFFFFFFFFFFFFFFF", 0xFFFFFFFFFFFFFFFFu},
        {"10000000000000000", std::nullopt},
        {"", std::nullopt},
        {"0x", std::nullopt},
        {"12 34", std::nullopt},
        {"-1", std::nullopt},
    };
    for (const AddressCase& c : cases) {
        EXPECT_EQ(HexText::parseAddress(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(HexTextTest, AddressShowsTheLowDigitsInAFixedWidth) {
    EXPECT_EQ(HexText::address(0x1A, 6), "00001A");
    EXPECT_EQ(HexText::address(0x123456, 4), "3456");
    EXPECT_EQ(HexText::address(0xFEDCBA9876543210u, 16), "FEDCBA9876543210");
}

TEST(HexTextTest, RowHasThreeCellsPerByteAndDotsForUnprintables) {
    const Bytes bytes = {'H', 'i', 0x00, 0x7F, 0x20, 0x7E};
    std::string hex;
    std::string ascii;
    HexText::row(bytes.data(), bytes.size(), hex, ascii);
    EXPECT_EQ(hex, "48 69 00 7F 20 7E ");
    EXPECT_EQ(ascii, "Hi.. ~");
}

} // namespace
} // namespace halden
