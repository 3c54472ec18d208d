#include "programmer/programming/ui/StatusPaneProgress.h"

#include "common/qt/ProgressPainter.h"
#include "programmer/app/MainWindowTemplate.h"
#include "tests/programmer/app/MainWindowFixture.h"

#include <QImage>
#include <QLabel>

#include <algorithm>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

namespace halden {
namespace {

// What a look at the status pane finds: how far the bar reaches, where the text's
// pixels are, and every pixel of the bar's span sorted by the side of the bar's end
// it lies on.
struct PaneScan {
    int barPixels = 0;   // bar colour in a row above the text, from the span's left end
    int barSpan = 0;     // the client width less a pixel on each side
    int whiteText = 0;   // text pixels over the bar
    int blueText = 0;    // text pixels over the rest
    int strayPixels = 0; // neither its side's fill nor its side's text colour
    std::vector<QPoint> text;
};

class StatusPaneProgressTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window = open();
        window->show();
        pane = window->control<QLabel>(MainWindowTemplate::kFilePathPane);
        pane->setText("/tmp/code.bin");
        progress = new StatusPaneProgress(*pane, window->core().text());
    }

    PaneScan scan() const {
        const QImage image = pane->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect client = pane->contentsRect();
        const int left = client.left() + 1;
        const int right = client.left() + client.width() - 1;
        const QRgb bar = ProgressPainter::kBar;
        const QRgb face = progress->buttonFace().rgb();
        PaneScan result;
        result.barSpan = right - left;
        // The text starts 5 pixels down; row 2 shows the bar alone.
        const int barRow = client.top() + 2;
        int split = left;
        while (split < right && image.pixel(split, barRow) == bar) {
            ++split;
        }
        result.barPixels = split - left;
        for (int y = client.top(); y <= client.bottom(); ++y) {
            for (int x = left; x < right; ++x) {
                const QRgb pixel = image.pixel(x, y);
                const bool overBar = x < split;
                const QRgb ink =
                    overBar ? ProgressPainter::kTextOnBar : ProgressPainter::kTextOnRest;
                if (pixel == ink) {
                    (overBar ? result.whiteText : result.blueText) += 1;
                    result.text.emplace_back(x, y);
                } else if (pixel != (overBar ? bar : face)) {
                    ++result.strayPixels;
                }
            }
        }
        return result;
    }

    std::unique_ptr<CProgrammerDlg> window;
    QLabel* pane = nullptr;
    StatusPaneProgress* progress = nullptr;
};

std::vector<QPoint> leftOf(const std::vector<QPoint>& points, int x) {
    std::vector<QPoint> result;
    std::copy_if(points.begin(), points.end(), std::back_inserter(result),
                 [x](const QPoint& point) { return point.x() < x; });
    return result;
}

// The bar reaches percent of the span; "Completed ..." is the same glyphs at every
// percent, white over the bar and dark blue over the rest; nothing else shows, not
// even the pane's own text.
TEST_F(StatusPaneProgressTest, DrawProgressPanePixels) {
    progress->DrawProgress(0);
    const PaneScan atZero = scan();
    ASSERT_GT(atZero.blueText, 0);
    EXPECT_EQ(atZero.whiteText, 0);
    progress->DrawProgress(100);
    const PaneScan atFull = scan();
    EXPECT_EQ(atFull.blueText, 0);
    // "Completed ..." ends where the pictures of 0% and 100% start to differ.
    const int textLeft = atZero.text.front().x();
    int digits = textLeft;
    while (leftOf(atZero.text, digits + 1) == leftOf(atFull.text, digits + 1)) {
        ASSERT_LT(++digits, pane->width());
    }
    ASSERT_GT(digits - textLeft, 30) << "too narrow for \"Completed ...\"";
    // A percent whose bar ends in the middle of "Completed", wherever the font puts it.
    const int middle = (textLeft + digits) / 2 - pane->contentsRect().left() - 1;
    const int inText = middle * 100 / atZero.barSpan;

    for (const int percent : {0, 42, inText, 100, -1}) {
        SCOPED_TRACE(percent);
        progress->DrawProgress(percent);
        const PaneScan pixels = scan();
        EXPECT_NEAR(pixels.barPixels, std::max(percent, 0) * pixels.barSpan / 100.0, 1.0);
        EXPECT_EQ(pixels.strayPixels, 0);
        if (percent < 0) {
            EXPECT_TRUE(pixels.text.empty());
        } else {
            EXPECT_EQ(leftOf(pixels.text, digits), leftOf(atZero.text, digits));
        }
    }
    progress->DrawProgress(inText);
    EXPECT_GT(scan().whiteText, 0);
    EXPECT_GT(scan().blueText, 0);
}

TEST_F(StatusPaneProgressTest, BarStaysUntilThePaneGetsANewText) {
    progress->DrawProgress(60);
    pane->update();
    EXPECT_GT(scan().barPixels, 0);

    pane->setText("/tmp/other.bin");
    const QImage withProgress = pane->grab().toImage();
    EXPECT_FALSE(progress->percent());
    delete progress;
    EXPECT_EQ(withProgress, pane->grab().toImage()) << "the pane looks as it does on its own";
}

} // namespace
} // namespace halden
