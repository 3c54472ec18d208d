#include "programmer/text/KeyedTables.h"
#include "common/ByteOrder.h"
#include "programmer/text/ProgrammerResources.h"

#include <gtest/gtest.h>

#include <set>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A table from (key, text) records, in order, optionally without its end marker.
Bytes table(std::initializer_list<std::pair<std::uint16_t, std::u16string>> records,
            bool endMarker = true) {
    Bytes out;
    for (const auto& [key, text] : records) {
        ByteOrder::appendLe16(out, key);
        for (char16_t unit : text) {
            ByteOrder::appendLe16(out, unit);
        }
        ByteOrder::appendLe16(out, 0);
    }
    if (endMarker) {
        ByteOrder::appendLe16(out, KeyedTables::kEndKey);
    }
    return out;
}

std::set<std::uint16_t> keysOf(std::span<const std::uint8_t> bytes) {
    std::set<std::uint16_t> keys;
    for (std::uint32_t key = 0; key < KeyedTables::kEndKey; ++key) {
        if (KeyedTables::findInTable(bytes, static_cast<std::uint16_t>(key))) {
            keys.insert(static_cast<std::uint16_t>(key));
        }
    }
    return keys;
}

TEST(KeyedTables, ShippedTablesHoldTheSystemsTexts) {
    const KeyedTables tables(ProgrammerResources::directory());
    struct Case {
        std::uint32_t table;
        std::uint16_t key;
        std::u16string text;
    };
    const Case cases[] = {
        {256, 0, u"English"},
        {256, 2007, u"This version of dll is not correspond to the application !"},
        {256, 1101, u"Error !"},
        {256, 102, u"Halden_Programmer (v1.13.0.0)"},
        {256, 1131,
         u"Unmatched firmware version on the Tavro. Press <OK> to update or <Cancel> to quit ."},
        {257, 0, u"简体中文"},
        {257, 1101, u"错误！"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tables.FindTableString(c.table, c.key), c.text) << c.table << "/" << c.key;
    }
    EXPECT_FALSE(tables.FindTableString(256, 1));
    EXPECT_FALSE(tables.FindTableString(258, 0));
}

TEST(KeyedTables, ChineseTableHasExactlyTheEnglishIds) {
    const auto directory = ProgrammerResources::directory();
    const auto english = keysOf(*directory.find("DYNAMIC", 256));
    EXPECT_EQ(english.size(), 89u);
    EXPECT_EQ(keysOf(*directory.find("DYNAMIC", 257)), english);
}

TEST(KeyedTables, ScanStopsAtTheEndMarkerAndAtTheEndOfTheBytes) {
    Bytes bytes = table({{1, u"one"}, {2, u"two"}, {1, u"again"}});
    // A record after the end marker is never found.
    const Bytes tail = table({{3, u"after"}});
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    EXPECT_EQ(KeyedTables::findInTable(bytes, 1), u"one"); // the first occurrence wins
    EXPECT_EQ(KeyedTables::findInTable(bytes, 2), u"two");
    EXPECT_FALSE(KeyedTables::findInTable(bytes, 3));

    Bytes unterminated = table({{5, u"five"}}, false);
    EXPECT_EQ(KeyedTables::findInTable(unterminated, 5), u"five");
    EXPECT_FALSE(KeyedTables::findInTable(unterminated, 6));
    unterminated.resize(unterminated.size() - 2); // cut the string's NUL
    EXPECT_FALSE(KeyedTables::findInTable(unterminated, 5));
    unterminated.resize(1);
    EXPECT_FALSE(KeyedTables::findInTable(unterminated, 5));
}

TEST(KeyedTables, NumbersConvertLikeWcstoulWithBaseZero) {
    struct Case {
        std::u16string text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {u"0x40000", 262144},
        {u"128", 128},
        {u"010", 8},
        {u"  0X1f", 31},
        {u"12abc", 12},
        {u"0x", 0},
        {u"09", 0},
        {u"", 0},
        {u"-1", 0xFFFFFFFF},
        {u"+7", 7},
        {u"99999999999", 0xFFFFFFFF},
        {u"\t\n 42", 42},
        {u"0xFFFFFFFF", 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyedTables::parseNumber(c.text), c.value)
            << std::string(c.text.begin(), c.text.end());
    }
}

TEST(KeyedTables, GetTableNumberIsZeroForAMissingKeyOrTable) {
    const KeyedTables tables(ProgrammerResources::directory());
    EXPECT_EQ(tables.GetTableNumber(256, 1), 0u);
    EXPECT_EQ(tables.GetTableNumber(9999, 0), 0u);
}

} // namespace
} // namespace halden
