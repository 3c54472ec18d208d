#include "hexview/HexDocument.h"

#include <gtest/gtest.h>

#include <functional>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Column = HexCursor::Column;
using Range = HexCursor::Range;

Bytes contents(const HexDocument& document) {
    const HexBuffer& buffer = document.buffer();
    return Bytes(buffer.data(), buffer.data() + buffer.size());
}

HexDocument make(const Bytes& bytes, std::size_t capacity) {
    HexDocument document(capacity);
    document.replace(bytes.data(), bytes.size());
    return document;
}

void at(HexDocument& document, std::size_t position) {
    document.placeCursor(position, Column::Hex, 0, false);
}

void selecting(HexDocument& document, std::size_t anchor, std::size_t position) {
    document.placeCursor(anchor, Column::Hex, 0, false);
    document.placeCursor(position, Column::Hex, 0, true);
}

struct EditCase {
    const char* name;
    Bytes before;
    std::size_t capacity;
    std::function<bool(HexDocument&)> edit;
    Bytes after;
    std::size_t position;
    bool changed;
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class HexDocumentEditTest : public testing::TestWithParam<EditCase> {};

TEST_P(HexDocumentEditTest, Edits) {
    const EditCase& c = GetParam();
    HexDocument document = make(c.before, c.capacity);
    EXPECT_EQ(c.edit(document), c.changed);
    EXPECT_EQ(contents(document), c.after);
    EXPECT_EQ(document.cursor().position(), c.position);
    EXPECT_FALSE(document.cursor().hasSelection());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexDocumentEditTest,
    testing::Values(EditCase{"hexDigitsOverwriteNibbleByNibble",
                             {0x11, 0x22, 0x33},
                             8,
                             [](HexDocument& d) {
                                 at(d, 1);
                                 return d.typeHexDigit(0xA) && d.typeHexDigit(0xB);
                             },
                             {0x11, 0xAB, 0x33},
                             2,
                             true},
                    EditCase{"highDigitKeepsTheLowHalf",
                             {0x11, 0x22},
                             8,
                             [](HexDocument& d) { return d.typeHexDigit(0xF); },
                             {0xF1, 0x22},
                             0,
                             true},
                    EditCase{"appendedByteStartsErased",
                             {0x11},
                             8,
                             [](HexDocument& d) {
                                 at(d, 1);
                                 return d.typeHexDigit(0xA);
                             },
                             {0x11, 0xAF},
                             1,
                             true},
                    EditCase{"hexTypingAtAFullEndChangesNothing",
                             {0x11, 0x22},
                             2,
                             [](HexDocument& d) {
                                 at(d, 2);
                                 return d.typeHexDigit(0xA);
                             },
                             {0x11, 0x22},
                             2,
                             false},
                    EditCase{"typingStartsAtTheSelectionStart",
                             {1, 2, 3, 4},
                             8,
                             [](HexDocument& d) {
                                 selecting(d, 3, 1);
                                 return d.typeByte('x');
                             },
                             {1, 'x', 3, 4},
                             2,
                             true},
                    EditCase{"asciiAppendsUpToTheCapacity",
                             {},
                             2,
                             [](HexDocument& d) {
                                 return d.typeByte('a') && d.typeByte('b') && !d.typeByte('c');
                             },
                             {'a', 'b'},
                             2,
                             true},
                    EditCase{"deleteRemovesTheSelection",
                             {1, 2, 3, 4, 5},
                             8,
                             [](HexDocument& d) {
                                 selecting(d, 1, 3);
                                 return d.deleteForward();
                             },
                             {1, 4, 5},
                             1,
                             true},
                    EditCase{"deleteRemovesTheByteAtTheCursor",
                             {1, 2, 3},
                             8,
                             [](HexDocument& d) {
                                 at(d, 1);
                                 return d.deleteForward();
                             },
                             {1, 3},
                             1,
                             true},
                    EditCase{"deleteAtTheEndChangesNothing",
                             {1, 2},
                             8,
                             [](HexDocument& d) {
                                 at(d, 2);
                                 return d.deleteForward();
                             },
                             {1, 2},
                             2,
                             false},
                    EditCase{"backspaceRemovesTheByteBefore",
                             {1, 2, 3},
                             8,
                             [](HexDocument& d) {
                                 at(d, 2);
                                 return d.deleteBackward();
                             },
                             {1, 3},
                             1,
                             true},
                    EditCase{"backspaceRemovesTheSelection",
                             {1, 2, 3},
                             8,
                             [](HexDocument& d) {
                                 selecting(d, 3, 1);
                                 return d.deleteBackward();
                             },
                             {1},
                             1,
                             true},
                    EditCase{"backspaceAtTheStartChangesNothing",
                             {1, 2},
                             8,
                             [](HexDocument& d) { return d.deleteBackward(); },
                             {1, 2},
                             0,
                             false},
                    EditCase{"deleteWithoutASelection",
                             {1, 2},
                             8,
                             [](HexDocument& d) { return d.deleteSelection(); },
                             {1, 2},
                             0,
                             false},
                    EditCase{"pasteOverwritesThenAppendsUpToTheCapacity",
                             {1, 2, 3},
                             5,
                             [](HexDocument& d) {
                                 at(d, 2);
                                 return d.paste({9, 9, 9, 9});
                             },
                             {1, 2, 9, 9, 9},
                             5,
                             true},
                    EditCase{"pasteStartsAtTheSelectionStart",
                             {1, 2, 3, 4},
                             8,
                             [](HexDocument& d) {
                                 selecting(d, 3, 1);
                                 return d.paste({7});
                             },
                             {1, 7, 3, 4},
                             2,
                             true},
                    EditCase{"pasteAtAFullEndChangesNothing",
                             {1, 2},
                             2,
                             [](HexDocument& d) {
                                 at(d, 2);
                                 return d.paste({7});
                             },
                             {1, 2},
                             2,
                             false}),
    [](const auto& info) { return info.param.name; });

TEST(HexDocumentTest, MouseSelectionIncludesBothEndBytes) {
    HexDocument document = make({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 16);
    document.selectBytes(2, 5);
    EXPECT_EQ(document.cursor().selection(), (Range{2, 6}));
    EXPECT_EQ(document.selectedBytes(), (Bytes{2, 3, 4, 5}));
    document.selectBytes(5, 2);
    EXPECT_EQ(document.cursor().selection(), (Range{2, 6}));
    document.selectBytes(8, 40);
    EXPECT_EQ(document.cursor().selection(), (Range{8, 10}));
    document.selectAll();
    EXPECT_EQ(document.selectedBytes().size(), 10u);
}

TEST(HexDocumentTest, PlacingPastTheEndLandsAtTheEnd) {
    HexDocument document = make({1, 2, 3}, 16);
    document.placeCursor(1, Column::Hex, 1, false);
    EXPECT_EQ(document.cursor().nibble(), 1);
    document.placeCursor(99, Column::Ascii, 1, false);
    EXPECT_EQ(document.cursor().position(), 3u);
    EXPECT_EQ(document.cursor().nibble(), 0);
    EXPECT_EQ(document.cursor().column(), Column::Ascii);
}

TEST(HexDocumentTest, ReplaceClearAndCapacityKeepTheCursorInside) {
    HexDocument document = make({1, 2, 3, 4, 5, 6}, 16);
    selecting(document, 2, 6);
    EXPECT_TRUE(document.setCapacity(4));
    EXPECT_EQ(document.cursor().selection(), (Range{2, 4}));
    EXPECT_FALSE(document.setCapacity(4));

    const Bytes next = {9, 9};
    EXPECT_EQ(document.replace(next.data(), next.size()), 2u);
    EXPECT_EQ(document.cursor().position(), 0u);
    EXPECT_FALSE(document.cursor().hasSelection());

    at(document, 2);
    EXPECT_TRUE(document.clear());
    EXPECT_EQ(document.cursor().position(), 0u);
    EXPECT_FALSE(document.clear());
}

} // namespace
} // namespace halden
