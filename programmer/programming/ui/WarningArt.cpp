#include "programmer/programming/ui/WarningArt.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace halden {

namespace {

// The steps, in the frame's 41 × 41 pixel grid.
enum Step {
    kLeftSide = 1,
    kRightSide,
    kBase,
    kFillLowerThird,
    kFillLowerTwoThirds,
    kFillAll,
    kMarkStem,
    kMarkDot,
};

const QPointF kApex(20.5, 4.0);
const QPointF kBaseLeft(3.0, 36.0);
const QPointF kBaseRight(38.0, 36.0);
const QColor kFill(255, 243, 110);
const QColor kInk(0, 0, 0);

QPainterPath triangle() {
    QPainterPath path(kApex);
    path.lineTo(kBaseRight);
    path.lineTo(kBaseLeft);
    path.closeSubpath();
    return path;
}

// Fills the triangle from the base up to the given share of its height.
void fillUpTo(QPainter& painter, double share) {
    const double top = kBaseLeft.y() - share * (kBaseLeft.y() - kApex.y());
    QPainterPath band;
    band.addRect(QRectF(0, top, WarningArt::kFrameSize, WarningArt::kFrameSize - top));
    painter.fillPath(triangle().intersected(band), kFill);
}

void drawSteps(QPainter& painter, int steps) {
    painter.setRenderHint(QPainter::Antialiasing);
    if (steps >= kFillLowerThird) {
        const double shares[] = {1.0 / 3, 2.0 / 3, 1.0};
        fillUpTo(painter, shares[std::min(steps, int(kFillAll)) - kFillLowerThird]);
    }
    QPen outline(kInk, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(outline);
    const QLineF sides[] = {{kBaseLeft, kApex}, {kApex, kBaseRight}, {kBaseRight, kBaseLeft}};
    for (int side = 0; side < std::min(steps, int(kBase)); ++side) {
        painter.drawLine(sides[side]);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    if (steps >= kMarkStem) {
        QPainterPath stem;
        stem.moveTo(18.5, 14.0);
        stem.lineTo(22.5, 14.0);
        stem.lineTo(21.5, 27.0);
        stem.lineTo(19.5, 27.0);
        stem.closeSubpath();
        painter.drawPath(stem);
    }
    if (steps >= kMarkDot) {
        painter.drawEllipse(QPointF(20.5, 31.0), 2.0, 2.0);
    }
}

} // namespace

std::array<QPixmap, WarningArt::kFrameCount> WarningArt::frames() {
    std::array<QPixmap, kFrameCount> result;
    for (int n = 0; n < kFrameCount; ++n) {
        result[n] = QPixmap(kFrameSize, kFrameSize);
        result[n].fill(Qt::transparent);
        QPainter painter(&result[n]);
        drawSteps(painter, n);
    }
    return result;
}

QPixmap WarningArt::sign(QSize size, QPoint framePosition, const QColor& background) {
    QPixmap pixmap(size);
    pixmap.fill(background);
    QPainter painter(&pixmap);
    painter.translate(framePosition);
    drawSteps(painter, kMarkDot);
    return pixmap;
}

} // namespace halden
