#include "programmer/form/FormPageRules.h"
#include "programmer/form/FormScrolling.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Device = FormPageRules::Device;
using Segment = FormPageRules::Segment;

TEST(FormPageRulesTest, ColumnsOfBothSetsAtAnOddCell) {
    // w = 7: w / 4 = 1, w / 2 = 3.
    const auto screen = FormPageRules::columns(Device::Screen, 7);
    EXPECT_EQ(
        (std::vector<int>{screen.a, screen.b, screen.l, screen.r, screen.d1, screen.d2, screen.d3}),
        (std::vector<int>{139, 351, 88, 626, 200, 354, 473}));
    const auto printer = FormPageRules::columns(Device::Printer, 7);
    EXPECT_EQ((std::vector<int>{printer.a, printer.b, printer.l, printer.r, printer.d1, printer.d2,
                                printer.d3}),
              (std::vector<int>{174, 386, 116, 647, 228, 382, 501}));
}

TEST(FormPageRulesTest, SegmentsOfTheScreenSet) {
    // w = 7, h = 14: y0 = 7 + 182 = 189.
    const auto s = FormPageRules::segments(Device::Screen, 7, 14);
    ASSERT_EQ(s.size(), 19u);
    EXPECT_EQ(s[0], (Segment{139, 102, 351, 102})); // 7h + h/3
    EXPECT_EQ(s[1], (Segment{139, 127, 351, 127})); // 9h + 1
    EXPECT_EQ(s[2], (Segment{139, 155, 351, 155})); // 11h + 1
    EXPECT_EQ(s[3], (Segment{88, 189, 626, 189}));  // box top
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(s[3 + k], (Segment{88, 189 + 28 * k, 626, 189 + 28 * k}));
    }
    EXPECT_EQ(s[12], (Segment{88, 623, 626, 623})); // y0 + 31h
    EXPECT_EQ(s[13], (Segment{88, 623, 88, 189}));
    EXPECT_EQ(s[14], (Segment{626, 623, 626, 189}));
    EXPECT_EQ(s[15], (Segment{200, 189, 200, 413})); // to h/2 + 29h
    EXPECT_EQ(s[16], (Segment{354, 301, 354, 385})); // h/2 + 21h .. h/2 + 27h
    EXPECT_EQ(s[17], (Segment{473, 301, 473, 385}));
    EXPECT_EQ(s[18], (Segment{354, 511, 354, 595})); // h/2 + 36h .. h/2 + 42h
}

TEST(FormPageRulesTest, PrinterSetUsesItsOwnColumnsAtTheSameHeights) {
    const auto screen = FormPageRules::segments(Device::Screen, 100, 170);
    const auto printer = FormPageRules::segments(Device::Printer, 100, 170);
    ASSERT_EQ(printer.size(), screen.size());
    for (std::size_t i = 0; i < screen.size(); ++i) {
        EXPECT_EQ(printer[i].y1, screen[i].y1);
        EXPECT_EQ(printer[i].y2, screen[i].y2);
    }
    EXPECT_EQ(printer[3], (Segment{1650, 85 + 2210, 9250, 85 + 2210}));
}

TEST(FormScrollingTest, StepsAndRange) {
    using Request = FormScrolling::Request;
    EXPECT_EQ(FormScrolling::next(Request::LineForward, 100, 14, 0), 114);
    EXPECT_EQ(FormScrolling::next(Request::LineBack, 100, 14, 0), 86);
    EXPECT_EQ(FormScrolling::next(Request::PageForward, 100, 14, 0), 520);
    EXPECT_EQ(FormScrolling::next(Request::PageBack, 100, 14, 0), -320);
    EXPECT_EQ(FormScrolling::next(Request::ThumbTrack, 100, 14, 55), 55);
    EXPECT_EQ(FormScrolling::next(Request::Other, 100, 14, 55), std::nullopt);
    EXPECT_EQ(FormScrolling::maximumPosition(980, 400), 581);
    EXPECT_EQ(FormScrolling::maximumPosition(980, 2000), 0);
}

} // namespace
} // namespace halden
