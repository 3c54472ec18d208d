#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/catalogue/SeriesTable.h"
#include "programmer/text/ProgrammerResources.h"
#include "tests/support/ResourceBlobBuilder.h"

#include <gtest/gtest.h>

#include <set>

namespace halden {
namespace {

class ShippedCatalogue : public testing::Test {
protected:
    KeyedTables tables{ProgrammerResources::directory()};
    ChipCatalogue catalogue{tables};
};

TEST_F(ShippedCatalogue, HoldsTheTenPartsWithTheirValues) {
    struct Row {
        std::uint32_t index;
        std::u16string name;
        std::uint32_t series, flash, optionCount, iapAddress, parameter2;
    };
    const Row rows[] = {
        {36, u"RQD-1", 4, 0x18000, 128, 0x16C00, 0x0D},
        {37, u"RQD-2", 4, 0x20000, 128, 0x1EC00, 0x0D},
        {38, u"RQD-3", 4, 0x20000, 128, 0x1EC00, 0x0D},
        {39, u"RQD-4", 4, 0x40000, 128, 0x3EC00, 0x0D},
        {42, u"RQE-1", 5, 0x40000, 16, 0x3EC00, 0x0E},
        {45, u"RQE-2", 5, 0x40000, 16, 0x3EC00, 0x0E},
        {54, u"RQE-3", 5, 0x40000, 16, 0x3EC00, 0x0E},
        {55, u"RQE-4", 5, 0x40000, 16, 0x3EC00, 0x0E},
        {56, u"RQE-5", 5, 0x40000, 16, 0x3EC00, 0x0E},
        {57, u"RQE-6", 5, 0x40000, 16, 0x3EC00, 0x0E},
    };
    std::vector<std::uint32_t> indices;
    for (const auto& row : rows) {
        indices.push_back(row.index);
        EXPECT_EQ(catalogue.partName(row.index), row.name);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kSeries), row.series);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kFlashSize), row.flash);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kOptionCount), row.optionCount);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kIapAddress), row.iapAddress);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kParameter0), 0x14u);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kParameter1), 0x24u);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kParameter2), row.parameter2);
        EXPECT_EQ(catalogue.number(row.index, ChipCatalogue::kChipIdMask), 0xFFFFFFFFu);
        EXPECT_EQ(catalogue.defaultOptionBytes(row.index).size(), row.optionCount);
    }
    EXPECT_EQ(catalogue.partIndices(), indices);
    EXPECT_EQ(catalogue.string(36, ChipCatalogue::kName), u"RQD-1       (use Adaptor)");
    // Three distinct chip IDs: RQD-1; RQD-2 and RQD-3; the 0x40000 parts.
    const auto chipId = [&](std::uint32_t index) {
        return catalogue.number(index, ChipCatalogue::kChipId);
    };
    EXPECT_EQ(chipId(37), chipId(38));
    EXPECT_EQ(chipId(39), chipId(42));
    EXPECT_EQ(std::set<std::uint32_t>({chipId(36), chipId(37), chipId(39)}).size(), 3u);
    EXPECT_EQ(catalogue.findPart(u"rqe-4"), 55u);
    EXPECT_FALSE(catalogue.findPart(u"RQE"));
}

TEST_F(ShippedCatalogue, DefaultOptionBytesAndRows) {
    const auto delta = catalogue.defaultOptionBytes(36);
    for (std::size_t i = 0; i < delta.size(); ++i) {
        const std::uint8_t expected = (i >= 16 && i <= 19)               ? 0x0C
                                      : i == 20                          ? 0xF3
                                      : i == 24                          ? 0xA5
                                      : i == 25                          ? 0x5A
                                      : (i >= 48 && i <= 51) || i >= 124 ? 0xFF
                                                                         : 0x00;
        EXPECT_EQ(delta[i], expected) << i;
    }
    EXPECT_EQ(catalogue.defaultOptionBytes(57),
              (std::vector<std::uint8_t>{0xA5, 0x5A, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0,
                                         0xFF, 0, 0xFF, 0}));
    const auto lock = catalogue.optionRow(36, 0);
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->byteIndex, 16u);
    EXPECT_EQ(lock->mask, 0x0Fu);
    EXPECT_EQ(lock->label, u"LOCK");
    EXPECT_EQ(lock->descriptions.front(), u"Lock Device");
    EXPECT_EQ(catalogue.optionRow(42, 3)->label, u"nRST_STOP");
    EXPECT_FALSE(catalogue.optionRow(42, 5));
    EXPECT_FALSE(catalogue.optionRow(36, 6));
}

TEST(ChipCatalogue, ListValuesSplitAtAnySeparatorRunAndStopAtTheImageSize) {
    EXPECT_EQ(ChipCatalogue::parseByteList(u" 0x1F,, 010 ;|128|0x1FF  7"),
              (std::vector<std::uint8_t>{0x1F, 8, 128, 0xFF, 7}));
    std::u16string longList;
    for (int i = 0; i < 300; ++i) {
        longList += u"1,";
    }
    EXPECT_EQ(ChipCatalogue::parseByteList(longList).size(), ChipCatalogue::kOptionImageSize);
}

TEST(ChipCatalogue, OptionRowsParseWithBounds) {
    struct Case {
        std::u16string text;
        bool valid;
        std::uint32_t byteIndex, mask;
    };
    const Case cases[] = {
        {u"16|0x0F|LOCK|Lock Device|锁定器件", true, 16, 0x0F},
        {u"2|4|nRST", true, 2, 4},
        {u"010|0x10|OCT|octal index", true, 8, 0x10},
        {u"16|0x0F", false, 0, 0},
        {u"", false, 0, 0},
        {u"x|0x0F|BAD|bad index", false, 0, 0},
        {u"16|0xZZ|BAD|bad mask", false, 0, 0},
        {u"260|1|FAR|outside the image", false, 0, 0},
        {u"4294967295|1|FAR|outside the image", false, 0, 0},
    };
    for (const auto& c : cases) {
        const auto row = ChipCatalogue::parseOptionRow(c.text);
        ASSERT_EQ(row.has_value(), c.valid) << std::string(c.text.begin(), c.text.end());
        if (row) {
            EXPECT_EQ(row->byteIndex, c.byteIndex);
            EXPECT_EQ(row->mask, c.mask);
        }
    }
}

TEST(SeriesTable, ListsDeltaAndEpsilonOnly) {
    std::vector<std::u16string_view> listed;
    for (const auto& series : SeriesTable::kSeries) {
        if (series.listed) {
            listed.push_back(series.name);
        }
    }
    EXPECT_EQ(listed, (std::vector<std::u16string_view>{u"RQ-Delta Series", u"RQ-Epsilon Series"}));
    EXPECT_EQ(SeriesTable::nameOf(2), u"RQ-Beta Series");
    EXPECT_FALSE(SeriesTable::nameOf(9));
}

} // namespace
} // namespace halden
