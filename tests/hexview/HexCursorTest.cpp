#include "hexview/HexCursor.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Move = HexCursor::Move;
using Range = HexCursor::Range;

struct MoveCase {
    Move move;
    std::size_t from;
    std::size_t size;
    std::size_t to;
};

// 16 bytes a row, two rows a page.
TEST(HexCursorTest, MovesLandInsideTheBuffer) {
    const MoveCase cases[] = {
        {Move::Left, 0, 40, 0},         {Move::Left, 5, 40, 4},
        {Move::Right, 39, 40, 40},      {Move::Right, 40, 40, 40},
        {Move::Up, 20, 40, 4},          {Move::Up, 5, 40, 5},
        {Move::Down, 5, 40, 21},        {Move::Down, 30, 40, 40},
        {Move::PageUp, 37, 40, 5},      {Move::PageUp, 20, 40, 4},
        {Move::PageDown, 3, 40, 35},    {Move::PageDown, 10, 40, 40},
        {Move::LineStart, 37, 40, 32},  {Move::LineEnd, 17, 40, 31},
        {Move::LineEnd, 33, 40, 40},    {Move::DocumentStart, 37, 40, 0},
        {Move::DocumentEnd, 3, 40, 40}, {Move::Down, 0, 0, 0},
        {Move::Right, 0, 0, 0},         {Move::LineEnd, 0, 0, 0},
    };
    for (const MoveCase& c : cases) {
        EXPECT_EQ(HexCursor::target(c.move, c.from, c.size, {16, 2}), c.to)
            << static_cast<int>(c.move) << " from " << c.from;
    }
}

TEST(HexCursorTest, ExtendingMovesSelectBetweenAnchorAndPosition) {
    HexCursor cursor;
    cursor.moveTo(10, false);
    cursor.move(Move::Right, 40, {16, 2}, true);
    cursor.move(Move::Right, 40, {16, 2}, true);
    EXPECT_EQ(cursor.selection(), (Range{10, 12}));
    cursor.move(Move::Down, 40, {16, 2}, true);
    EXPECT_EQ(cursor.selection(), (Range{10, 28}));
    cursor.moveTo(10, true);
    cursor.move(Move::Left, 40, {16, 2}, true);
    EXPECT_EQ(cursor.selection(), (Range{9, 10})) << "the anchor stays where the selection began";
    cursor.move(Move::Left, 40, {16, 2}, false);
    EXPECT_FALSE(cursor.hasSelection());
    EXPECT_EQ(cursor.position(), 8u);
}

TEST(HexCursorTest, NibblesAdvanceThroughTheByte) {
    HexCursor cursor;
    cursor.moveTo(3, false);
    cursor.advanceNibble();
    EXPECT_EQ(cursor.position(), 3u);
    EXPECT_EQ(cursor.nibble(), 1);
    cursor.advanceNibble();
    EXPECT_EQ(cursor.position(), 4u);
    EXPECT_EQ(cursor.nibble(), 0);
    EXPECT_FALSE(cursor.hasSelection());
}

TEST(HexCursorTest, ToggleColumnStartsAtTheHighDigit) {
    HexCursor cursor;
    cursor.moveTo(3, false, 1);
    cursor.toggleColumn();
    EXPECT_EQ(cursor.column(), HexCursor::Column::Ascii);
    EXPECT_EQ(cursor.nibble(), 0);
    cursor.toggleColumn();
    EXPECT_EQ(cursor.column(), HexCursor::Column::Hex);
}

TEST(HexCursorTest, ClampFollowsAShrinkingBuffer) {
    HexCursor cursor;
    cursor.select(5, 20);
    cursor.clamp(12);
    EXPECT_EQ(cursor.selection(), (Range{5, 12}));
    cursor.moveTo(7, false, 1);
    cursor.clamp(7);
    EXPECT_EQ(cursor.position(), 7u);
    EXPECT_EQ(cursor.nibble(), 0) << "no half-typed byte remains at the end";
    cursor.select(9, 2);
    cursor.clamp(30);
    EXPECT_EQ(cursor.selection(), (Range{2, 9}));
}

} // namespace
} // namespace halden
