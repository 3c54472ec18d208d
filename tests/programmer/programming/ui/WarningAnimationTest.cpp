#include "programmer/programming/ui/WarningAnimation.h"

#include <gtest/gtest.h>

#include <vector>

namespace halden {
namespace {

using Timer = WarningAnimation::Timer;

struct TickRow {
    int dotsShown;
    int dotCountAfter;
    int frame;
    bool title;
};

// Timer 1 from a fresh program: the dots lag the count by one tick, the frames loop
// over 1 to 8, the title shows on odd counts, and the count wraps after passing 10
// (the 11th tick shows the title and the next one shows it again).
TEST(WarningAnimationTest, TimerOneSequence) {
    const std::vector<TickRow> rows = {
        {0, 1, 1, true},  {1, 2, 2, false}, {2, 3, 3, true},  {3, 4, 4, false}, {4, 5, 5, true},
        {5, 6, 6, false}, {6, 7, 7, true},  {7, 8, 8, false}, {8, 9, 1, true},  {9, 10, 2, false},
        {10, 0, 3, true}, {0, 1, 4, true},  {1, 2, 5, false},
    };
    int dotCount = 0;
    WarningAnimation animation(dotCount);
    EXPECT_EQ(animation.frame(), 0);
    EXPECT_TRUE(animation.titleShown());
    EXPECT_FALSE(animation.dots());
    ASSERT_TRUE(animation.pressOk());
    EXPECT_EQ(animation.timer(), Timer::Animation);
    for (std::size_t n = 0; n < rows.size(); ++n) {
        SCOPED_TRACE(n + 1);
        animation.tick();
        EXPECT_EQ(animation.dots(), rows[n].dotsShown);
        EXPECT_EQ(dotCount, rows[n].dotCountAfter);
        EXPECT_EQ(animation.frame(), rows[n].frame);
        EXPECT_EQ(animation.titleShown(), rows[n].title);
    }
}

TEST(WarningAnimationTest, OnlyTheFirstOkCounts) {
    int dotCount = 0;
    WarningAnimation animation(dotCount);
    ASSERT_TRUE(animation.pressOk());
    animation.tick();
    animation.tick();
    EXPECT_FALSE(animation.pressOk());
    EXPECT_TRUE(animation.started());
    EXPECT_EQ(animation.timer(), Timer::Animation);
    EXPECT_EQ(animation.frame(), 2);
    EXPECT_EQ(dotCount, 2);
}

TEST(WarningAnimationTest, LoadedBeforeOkShowsTheFinalFrameWithoutClosing) {
    int dotCount = 0;
    WarningAnimation animation(dotCount);
    EXPECT_EQ(animation.loaded(), 1);
    EXPECT_EQ(animation.frame(), WarningAnimation::kFinalFrame);
    EXPECT_TRUE(animation.titleShown());
    EXPECT_TRUE(animation.bitmapShown());
    EXPECT_EQ(animation.timer(), Timer::None);
    // The buttons are still there: OK starts the animation over from the final frame.
    ASSERT_TRUE(animation.pressOk());
    animation.tick();
    EXPECT_EQ(animation.frame(), 1);
}

TEST(WarningAnimationTest, LoadedWhileWaitingHandsOverToTheCloseTimer) {
    int dotCount = 0;
    WarningAnimation animation(dotCount);
    animation.pressOk();
    animation.tick();
    animation.tick(); // the title is blank now
    ASSERT_FALSE(animation.titleShown());
    EXPECT_EQ(animation.loaded(), 1);
    EXPECT_EQ(animation.timer(), Timer::Close);
    EXPECT_EQ(animation.frame(), WarningAnimation::kFinalFrame);
    EXPECT_TRUE(animation.titleShown());
    EXPECT_TRUE(animation.bitmapShown());
    // A second report changes nothing about the timer.
    animation.loaded();
    EXPECT_EQ(animation.timer(), Timer::Close);
    animation.closeTimerElapsed();
    EXPECT_EQ(animation.timer(), Timer::None);
}

// Each opening carries on the dots where the last one stopped.
TEST(WarningAnimationTest, DotCountIsSharedByOpenings) {
    int dotCount = 0;
    {
        WarningAnimation first(dotCount);
        first.pressOk();
        for (int n = 0; n < 4; ++n) {
            first.tick();
        }
    }
    WarningAnimation second(dotCount);
    second.pressOk();
    second.tick();
    EXPECT_EQ(second.dots(), 4);
    EXPECT_EQ(second.frame(), 1);
}

} // namespace
} // namespace halden
