#include "programmer/form/qt/FormPage.h"
#include "programmer/form/FormPageRules.h"
#include "programmer/form/qt/FormFont.h"
#include "programmer/form/qt/FormPicture.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace halden {
namespace {

bool ink(const QImage& page, int x, int y) {
    return qGray(page.pixel(x, y)) < 128;
}

// The ink's columns in one cell of one text row: the leftmost and the rightmost, or
// -1 when the cell is blank.
std::pair<int, int> inkColumns(const QImage& page, QSize cell, int row, int column) {
    std::pair<int, int> found{-1, -1};
    for (int x = column * cell.width(); x < (column + 1) * cell.width(); ++x) {
        for (int y = row * cell.height(); y < (row + 1) * cell.height(); ++y) {
            if (ink(page, x, y)) {
                found = {found.first < 0 ? x : found.first, x};
                break;
            }
        }
    }
    return found;
}

// A page drawn in the page font for a device of `dotsPerInch`, without rules.
QImage textPage(const QString& text, int dotsPerInch, QSize& cell) {
    QFont font = FormFont::make(dotsPerInch);
    font.setStyleStrategy(QFont::NoAntialias);
    QImage page(1, 1, QImage::Format_RGB32);
    cell = FormFont::cell(font, &page);
    page = QImage(FormPage::kColumns * cell.width(), 4 * cell.height(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setFont(font);
    painter.setPen(Qt::black);
    FormPage::drawText(painter, text, page.rect(), cell);
    return page;
}

// The font's own advance is rarely a whole number of pixels; drawn as one run, a full
// line of "|" would drift out of its cells by the difference times the column.
TEST(FormPageTest, EachCharacterStandsInItsOwnCellAtEveryResolution) {
    const QString bars(FormPage::kColumns, QLatin1Char('|'));
    for (const int dotsPerInch : {96, 120, 600}) {
        QSize cell;
        const QImage page =
            textPage(bars + "\n" + QString(10, QLatin1Char('I')), dotsPerInch, cell);
        const double advance =
            QFontMetricsF(FormFont::make(dotsPerInch), &page).horizontalAdvance(QLatin1Char('|'));
        SCOPED_TRACE(testing::Message()
                     << dotsPerInch << " dpi, cell " << cell.width() << ", advance " << advance);
        std::pair<int, int> first;
        for (int column = 0; column < FormPage::kColumns; ++column) {
            const auto [left, right] = inkColumns(page, cell, 0, column);
            ASSERT_GE(left, 0) << "no bar in cell " << column;
            if (column == 0) {
                first = {left, right};
            }
            // The same glyph at the same place of every cell.
            EXPECT_EQ(left - column * cell.width(), first.first) << column;
            EXPECT_EQ(right - column * cell.width(), first.second) << column;
        }
        // A short line is centred by its cells: 10 cells in 100 start at cell 45.
        EXPECT_LT(inkColumns(page, cell, 1, 44).first, 0);
        EXPECT_GE(inkColumns(page, cell, 1, 45).first, 0);
        EXPECT_GE(inkColumns(page, cell, 1, 54).first, 0);
        EXPECT_LT(inkColumns(page, cell, 1, 55).first, 0);
    }
}

// The To line's value starts at the underline under it, at the picture's cell.
TEST(FormPageTest, ValuesStartOnTheirUnderlinesInThePicture) {
    const QString to = " To      : " + QString(71, QLatin1Char('M'));
    // The template's To line is its seventh; its underline runs below it.
    const QString text = QString("\n").repeated(6) + to;
    const QImage picture = FormPicture::render(text);
    QFont font = FormFont::make(FormFont::screenDotsPerInch());
    const QSize cell = FormFont::cell(font, &picture);
    const auto underline = FormPageRules::columns(FormPageRules::Device::Screen, cell.width());
    const int row = 6;
    int firstInk = -1;
    int lastInk = -1;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = row * cell.height(); y < (row + 1) * cell.height(); ++y) {
            if (ink(picture, x, y)) {
                firstInk = firstInk < 0 ? x : firstInk;
                lastInk = x;
            }
        }
    }
    // 82 cells centred in 100: "To" at cell 10, the value at cell 20 through 90.
    EXPECT_GE(firstInk, 10 * cell.width());
    EXPECT_LT(firstInk, 11 * cell.width());
    const int valueLeft = inkColumns(picture, cell, row, 20).first;
    EXPECT_GE(valueLeft, underline.a);
    EXPECT_LT(valueLeft, underline.a + cell.width());
    EXPECT_LT(lastInk, 91 * cell.width());
    EXPECT_GE(lastInk, 90 * cell.width());
}

} // namespace
} // namespace halden
