// The firmware upgrade's progress strip: where it splits, what it paints, and that a
// later repaint shows it blank.
#include "packsetup/ProgressStrip.h"
#include "packsetup/ProgressStripLayout.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QWindow>

#include <memory>
#include <vector>

namespace halden {
namespace {

using Span = ProgressStripLayout::Span;

TEST(ProgressStripLayout, SplitsInIntegerArithmeticTruncatedTowardZero) {
    struct Case {
        int left, width, percent;
        int split;
        Span done, rest;
    };
    const std::vector<Case> cases = {
        {0, 202, 0, 1, {1, 1}, {1, 201}},
        {0, 202, 45, 91, {1, 91}, {91, 201}},
        {0, 202, 100, 201, {1, 201}, {201, 201}},
        // 201 x 33 / 100 = 66.33
        {0, 203, 33, 67, {1, 67}, {67, 202}},
        {10, 52, 99, 10 + 1 + 49, {11, 60}, {60, 61}},
        // -1: 200 x -1 / 100 = -2, so the rest starts left of the strip; no done part.
        {0, 202, -1, -1, {1, 1}, {-1, 201}},
        // 150 x -1 / 100 = -1.5, truncated toward zero.
        {0, 152, -1, 0, {1, 1}, {0, 151}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " at " + std::to_string(c.percent) + "%");
        const ProgressStripLayout layout(c.left, c.width, c.percent);
        EXPECT_EQ(layout.split(), c.split);
        EXPECT_EQ(layout.done(), c.done);
        EXPECT_EQ(layout.rest(), c.rest);
        EXPECT_EQ(layout.hasBar(), c.percent >= 0);
    }
    EXPECT_EQ(ProgressStripLayout(0, 202, 45).text(), "Completed ...45%");
}

class ProgressStripPaint : public testing::Test {
protected:
    static constexpr QRgb kUntouched = qRgb(255, 0, 255);
    static constexpr QRgb kFace = qRgb(212, 208, 200);

    QImage paint(int percent) {
        QImage image(202, 14, QImage::Format_RGB32);
        image.fill(kUntouched);
        QPainter painter(&image);
        ProgressStrip::paint(painter, image.rect(), percent, strip->font(), QColor(kFace));
        painter.end();
        return image;
    }
    static int count(const QImage& image, QRgb colour, int fromX, int toX) {
        int found = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = fromX; x < toX; ++x) {
                found += image.pixel(x, y) == colour;
            }
        }
        return found;
    }

    std::unique_ptr<QLabel> label = std::make_unique<QLabel>();
    ProgressStrip* strip = new ProgressStrip(*label);
};

TEST_F(ProgressStripPaint, DoneAndRestWithTheTextInTwoColoursClippedAtTheSplit) {
    const QImage image = paint(45);
    const int split = ProgressStripLayout(0, 202, 45).split();
    // The outermost columns stay as they were.
    EXPECT_EQ(count(image, kUntouched, 0, 1), image.height());
    EXPECT_EQ(count(image, kUntouched, 201, 202), image.height());
    // Rows 0 and 1 lie above the text's cell.
    for (int x = 1; x < 201; ++x) {
        ASSERT_EQ(image.pixel(x, 0), x < split ? ProgressStrip::kDone : kFace) << x;
    }
    // The text starts at x 90: white over the done part, dark blue over the rest.
    EXPECT_GT(count(image, ProgressStrip::kTextOnDone, 90, split), 0);
    EXPECT_EQ(count(image, ProgressStrip::kTextOnDone, split, 201), 0);
    EXPECT_EQ(count(image, ProgressStrip::kTextOnRest, 1, split), 0);
    EXPECT_GT(count(image, ProgressStrip::kTextOnRest, split, 201), 0);
    EXPECT_EQ(count(image, ProgressStrip::kTextOnDone, 1, 90), 0) << "nothing left of the text";
}

TEST_F(ProgressStripPaint, NegativePercentLeavesTheStripBlank) {
    const QImage image = paint(-1);
    EXPECT_EQ(count(image, kFace, 1, 201), 200 * image.height());
    EXPECT_EQ(count(image, ProgressStrip::kDone, 0, 202), 0);
}

TEST_F(ProgressStripPaint, TheDrawingIsNotKept) {
    label->setFixedSize(202, 14);
    label->show();
    // Shown offscreen, the control paints once its window is exposed.
    for (int round = 0; round < 100 && !label->windowHandle()->isExposed(); ++round) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    std::vector<int> painted;
    QObject::connect(strip, &ProgressStrip::painted,
                     [&painted](int percent) { painted.push_back(percent); });
    strip->DrawProgress(45);
    EXPECT_EQ(painted, std::vector<int>{45}) << "painted at once, in the call";
    // The next paint is the control's own: no done part left.
    const QImage again = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(count(again, ProgressStrip::kDone, 0, again.width()), 0);
    EXPECT_EQ(painted.size(), 1u);
}

} // namespace
} // namespace halden
