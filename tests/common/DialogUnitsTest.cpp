#include "common/DialogUnits.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

TEST(DialogUnits, ConvertsWithTheFontsBaseUnitsAndRounds) {
    struct Case {
        int baseX, baseY;
        DialogUnits::Rect units, pixels;
    };
    const Case cases[] = {
        {7, 15, {0, 0, 433, 29}, {0, 0, 758, 54}},      // the banner in a 9 pt font
        {6, 13, {0, 0, 375, 314}, {0, 0, 563, 510}},    // the main window in an 8 pt font
        {7, 15, {235, 101, 56, 8}, {411, 189, 98, 15}}, // an option check box
        {7, 14, {1, 1, 2, 3}, {2, 2, 4, 5}},            // halves round away from zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialogUnits(c.baseX, c.baseY).toPixels(c.units), c.pixels)
            << c.units.x << "," << c.units.y << "," << c.units.width << "," << c.units.height;
    }
}

} // namespace
} // namespace halden
