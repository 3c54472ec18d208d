#include "hexview/HexLayout.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Area = HexLayout::Area;

HexLayout layout16() {
    HexLayout layout;
    layout.setBytesPerLine(16);
    layout.setAddressDigits(8);
    layout.setMetrics(10, 20);
    return layout;
}

TEST(HexLayoutTest, LimitsAndKeepsItsSettings) {
    HexLayout layout;
    layout.setBytesPerLine(32);
    layout.setAddressDigits(6);
    layout.setBytesPerLine(0);
    layout.setAddressDigits(0);
    EXPECT_EQ(layout.bytesPerLine(), 32u);
    EXPECT_EQ(layout.addressDigits(), 6u);
    layout.setBytesPerLine(300);
    layout.setAddressDigits(20);
    EXPECT_EQ(layout.bytesPerLine(), 256u);
    EXPECT_EQ(layout.addressDigits(), 16u);
}

struct RowCase {
    unsigned bytesPerLine;
    std::size_t offset;
    std::size_t row;
    unsigned column;
};

TEST(HexLayoutTest, OffsetToRowAndColumnAndBack) {
    const RowCase cases[] = {
        {16, 0, 0, 0}, {16, 17, 1, 1}, {1, 5, 5, 0}, {7, 50, 7, 1}, {256, 0x3FFFF, 0x3FF, 255},
    };
    for (const RowCase& c : cases) {
        HexLayout layout;
        layout.setBytesPerLine(c.bytesPerLine);
        EXPECT_EQ(layout.rowOf(c.offset), c.row) << c.bytesPerLine << " " << c.offset;
        EXPECT_EQ(layout.columnOf(c.offset), c.column) << c.bytesPerLine << " " << c.offset;
        EXPECT_EQ(layout.rowStart(c.row) + c.column, c.offset);
    }
}

TEST(HexLayoutTest, RowCountLeavesRoomForTheAppendPosition) {
    const HexLayout layout = layout16();
    EXPECT_EQ(layout.rowCount(0), 1u);
    EXPECT_EQ(layout.rowCount(15), 1u);
    EXPECT_EQ(layout.rowCount(16), 2u);
    EXPECT_EQ(layout.rowCount(4u << 20), (4u << 20) / 16 + 1);
}

struct VisibleCase {
    std::size_t firstRow;
    int height;
    std::size_t rowCount;
    HexLayout::RowRange expected;
};

TEST(HexLayoutTest, VisibleRowsIncludeThePartialLastRow) {
    const VisibleCase cases[] = {
        {0, 100, 50, {0, 5}},   {0, 101, 50, {0, 6}}, {48, 100, 50, {48, 2}},
        {50, 100, 50, {50, 0}}, {0, 0, 50, {0, 0}},   {10, 100, 1, {1, 0}},
    };
    const HexLayout layout = layout16();
    for (const VisibleCase& c : cases) {
        const auto rows = layout.visibleRows(c.firstRow, c.height, c.rowCount);
        EXPECT_EQ(rows, c.expected) << c.firstRow << " " << c.height << " " << c.rowCount;
    }
    EXPECT_EQ(layout.pageRows(100), 5u);
    EXPECT_EQ(layout.pageRows(19), 1u);
}

TEST(HexLayoutTest, ColumnsFollowEachOther) {
    HexLayout layout = layout16();
    EXPECT_EQ(layout.hexAreaX(), 100);
    EXPECT_EQ(layout.hexX(0), 110);
    EXPECT_EQ(layout.hexX(1), 140);
    EXPECT_EQ(layout.asciiAreaX(), 590);
    EXPECT_EQ(layout.asciiX(0), 600);
    EXPECT_EQ(layout.lineWidth(), 770);
    layout.setAddressDigits(4);
    layout.setBytesPerLine(8);
    EXPECT_EQ(layout.hexX(0), 70);
    EXPECT_EQ(layout.asciiX(7), 70 + 240 + 10 + 70);
}

struct HitCase {
    int x;
    int y;
    HexLayout::Hit expected;
};

TEST(HexLayoutTest, HitTestFindsTheByteAndDigit) {
    const HitCase cases[] = {
        {5, 5, {32, Area::Address, 0}},  // address column: the row's first byte
        {105, 0, {32, Area::Hex, 0}},    // padding before the first byte
        {110, 0, {32, Area::Hex, 0}},    // high digit
        {125, 19, {32, Area::Hex, 1}},   // low digit
        {135, 0, {32, Area::Hex, 1}},    // the space after a byte edits its low digit
        {140, 20, {49, Area::Hex, 0}},   // next row, next byte
        {585, 0, {47, Area::Hex, 1}},    // last byte's trailing space
        {595, 0, {32, Area::Ascii, 0}},  // padding before the ASCII column
        {755, 45, {79, Area::Ascii, 0}}, // last ASCII cell, two rows down
        {2000, 0, {47, Area::Ascii, 0}}, // right of everything
        {110, -1, {16, Area::Hex, 0}},   // just above the first shown row
        {110, -50, {0, Area::Hex, 0}},   // far above the start of the buffer
    };
    const HexLayout layout = layout16();
    for (const HitCase& c : cases) {
        EXPECT_EQ(layout.hitTest(c.x, c.y, 2), c.expected) << c.x << "," << c.y;
    }
}

TEST(HexLayoutTest, HitTestAgreesWithTheColumnPositions) {
    HexLayout layout;
    layout.setBytesPerLine(13);
    layout.setAddressDigits(5);
    layout.setMetrics(7, 15);
    for (unsigned column = 0; column < 13; ++column) {
        EXPECT_EQ(layout.hitTest(layout.hexX(column), 0, 0),
                  (HexLayout::Hit{column, Area::Hex, 0}));
        EXPECT_EQ(layout.hitTest(layout.hexX(column) + 7, 0, 0),
                  (HexLayout::Hit{column, Area::Hex, 1}));
        EXPECT_EQ(layout.hitTest(layout.asciiX(column) + 6, 0, 0),
                  (HexLayout::Hit{column, Area::Ascii, 0}));
    }
}

} // namespace
} // namespace halden
