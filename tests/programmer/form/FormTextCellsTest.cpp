#include "programmer/form/FormTextCells.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Glyph = FormTextCells::Glyph;

TEST(FormTextCellsTest, EveryCharacterHasItsCellsAndSpacesDrawNothing) {
    const struct {
        const char* name;
        std::u16string line;
        std::vector<Glyph> glyphs;
        int width;
    } cases[] = {
        {"plain",
         u"To : ab",
         {{0, 1, 0, 1}, {1, 1, 1, 1}, {3, 1, 3, 1}, {5, 1, 5, 1}, {6, 1, 6, 1}},
         7},
        {"trailing spaces count", u"a  ", {{0, 1, 0, 1}}, 3},
        {"wide ideographs take two cells",
         u"A\u4E2D\u6587B",
         {{0, 1, 0, 1}, {1, 1, 1, 2}, {2, 1, 3, 2}, {3, 1, 5, 1}},
         6},
        {"full-width forms", u"\uFF21x", {{0, 1, 0, 2}, {1, 1, 2, 1}}, 3},
        {"a pair is one character", u"\U00020000z", {{0, 2, 0, 2}, {2, 1, 2, 1}}, 3},
        {"an unpaired surrogate is one narrow character",
         u"\xD800y",
         {{0, 1, 0, 1}, {1, 1, 1, 1}},
         2},
        {"empty", u"", {}, 0},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(FormTextCells::layout(row.line), row.glyphs) << row.name;
        EXPECT_EQ(FormTextCells::width(row.line), row.width) << row.name;
    }
}

TEST(FormTextCellsTest, WideRangesEndWhereTheyEnd) {
    EXPECT_EQ(FormTextCells::cellsOf(U'~'), 1);
    EXPECT_EQ(FormTextCells::cellsOf(U'\u00E9'), 1);
    EXPECT_EQ(FormTextCells::cellsOf(U'\u10FF'), 1);
    EXPECT_EQ(FormTextCells::cellsOf(U'\u1100'), 2);
    EXPECT_EQ(FormTextCells::cellsOf(U'\u3002'), 2); // ideographic full stop
    EXPECT_EQ(FormTextCells::cellsOf(U'\uAC00'), 2);
    EXPECT_EQ(FormTextCells::cellsOf(U'\uFF60'), 2);
    EXPECT_EQ(FormTextCells::cellsOf(U'\uFF61'), 1); // half-width forms
}

} // namespace
} // namespace halden
