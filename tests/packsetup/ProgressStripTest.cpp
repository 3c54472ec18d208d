// The firmware upgrade's progress strip: what it paints, and that a later repaint shows
// it blank.
#include "packsetup/qt/ProgressStrip.h"
#include "common/ProgressLayout.h"
#include "common/qt/ProgressPainter.h"

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
    const int split = ProgressLayout(0, 202, 45).split();
    // The outermost columns stay as they were.
    EXPECT_EQ(count(image, kUntouched, 0, 1), image.height());
    EXPECT_EQ(count(image, kUntouched, 201, 202), image.height());
    // Rows 0 and 1 lie above the text's cell.
    for (int x = 1; x < 201; ++x) {
        ASSERT_EQ(image.pixel(x, 0), x < split ? ProgressPainter::kBar : kFace) << x;
    }
    // The text starts at x 90: white over the done part, dark blue over the rest.
    EXPECT_GT(count(image, ProgressPainter::kTextOnBar, 90, split), 0);
    EXPECT_EQ(count(image, ProgressPainter::kTextOnBar, split, 201), 0);
    EXPECT_EQ(count(image, ProgressPainter::kTextOnRest, 1, split), 0);
    EXPECT_GT(count(image, ProgressPainter::kTextOnRest, split, 201), 0);
    EXPECT_EQ(count(image, ProgressPainter::kTextOnBar, 1, 90), 0) << "nothing left of the text";
}

TEST_F(ProgressStripPaint, NegativePercentLeavesTheStripBlank) {
    const QImage image = paint(-1);
    EXPECT_EQ(count(image, kFace, 1, 201), 200 * image.height());
    EXPECT_EQ(count(image, ProgressPainter::kBar, 0, 202), 0);
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
    EXPECT_EQ(count(again, ProgressPainter::kBar, 0, again.width()), 0);
    EXPECT_EQ(painted.size(), 1u);
}

} // namespace
} // namespace halden
