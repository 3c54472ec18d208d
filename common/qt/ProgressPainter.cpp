#include "common/qt/ProgressPainter.h"

#include "common/ProgressLayout.h"
#include "common/qt/CellFont.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

#include <utility>

namespace halden {

namespace {

constexpr int kFontCellHeight = 10;
constexpr int kFontWeight = 400;

QRect columns(const ProgressLayout::Span& span, const QRect& client) {
    return QRect(span.left, client.top(), span.right - span.left, client.height())
        .intersected(client);
}

} // namespace

QFont ProgressPainter::font() {
    QFont font = CellFont::make("Courier", kFontCellHeight, kFontWeight, QFont::TypeWriter);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void ProgressPainter::paint(QPainter& painter, const QRect& client, int percent,
                            const QString& text, const QFont& font, QPoint textCell,
                            const QColor& buttonFace) {
    const ProgressLayout layout(client.left(), client.width(), percent);
    const QRect rest = columns(layout.rest(), client);
    painter.fillRect(rest, buttonFace);
    if (!layout.hasBar()) {
        return;
    }
    const QRect bar = columns(layout.bar(), client);
    painter.fillRect(bar, QColor(kBar));
    painter.setFont(font);
    // The position is the text cell's top-left corner; Qt draws from the baseline.
    const QPoint origin = client.topLeft() + textCell + QPoint(0, QFontMetrics(font).ascent());
    for (const auto& [clip, colour] : {std::pair{bar, kTextOnBar}, std::pair{rest, kTextOnRest}}) {
        if (clip.isEmpty()) {
            continue;
        }
        painter.save();
        painter.setClipRect(clip);
        painter.setPen(QColor(colour));
        painter.drawText(origin, text);
        painter.restore();
    }
}

} // namespace halden
