#include "common/ProgressLayout.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

struct SplitCase {
    int clientLeft;
    int clientWidth;
    int percent;
    int split;
    ProgressLayout::Span bar;
    ProgressLayout::Span rest;
};

class ProgressSplitTest : public testing::TestWithParam<SplitCase> {};

// The bar spans [left + 1, right - 1); the split truncates toward zero.
TEST_P(ProgressSplitTest, SplitsTheNarrowedClient) {
    const SplitCase& c = GetParam();
    const ProgressLayout layout(c.clientLeft, c.clientWidth, c.percent);
    EXPECT_EQ(layout.split(), c.split);
    EXPECT_EQ(layout.hasBar(), c.percent >= 0);
    EXPECT_EQ(layout.bar(), c.bar);
    EXPECT_EQ(layout.rest(), c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressSplitTest,
    testing::Values(
        // The status pane's client: 346 pixels wide at x 1, so the bar has 344.
        SplitCase{1, 346, 0, 2, {2, 2}, {2, 346}},
        SplitCase{1, 346, 42, 146, {2, 146}, {146, 346}}, // 144.48 truncated
        SplitCase{1, 346, 100, 346, {2, 346}, {346, 346}},
        // -344 / 100 is -3 toward zero, not -4: the rest starts 3 pixels left of the bar.
        SplitCase{1, 346, -1, -1, {2, 2}, {-1, 346}}, SplitCase{0, 10, 50, 5, {1, 5}, {5, 9}},
        SplitCase{0, 10, 99, 8, {1, 8}, {8, 9}}, // 7.92 truncated
        SplitCase{0, 2, 100, 1, {1, 1}, {1, 1}}  // nothing left to draw on
        ));

TEST(ProgressTextTest, FormatsCompletedAndPercent) {
    EXPECT_EQ(ProgressLayout::text(u"Completed", 42), u"Completed ...42%");
    EXPECT_EQ(ProgressLayout::text(u"Completed", 0), u"Completed ...0%");
    EXPECT_EQ(ProgressLayout::text(u"Completed", 100), u"Completed ...100%");
    EXPECT_EQ(ProgressLayout::text(u"完成", 7), u"完成 ...7%");
}

} // namespace
} // namespace halden
