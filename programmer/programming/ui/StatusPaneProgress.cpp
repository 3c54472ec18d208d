#include "programmer/programming/ui/StatusPaneProgress.h"

#include "programmer/programming/ui/CellFont.h"
#include "programmer/programming/ui/ProgressLayout.h"
#include "programmer/text/UiText.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

#include <cstdint>
#include <utility>

namespace halden {

namespace {

constexpr std::uint16_t kCompletedText = 1109;
constexpr int kFontCellHeight = 10;
constexpr int kFontWeight = 400;

QRect columns(const ProgressLayout::Span& span, const QRect& client) {
    return QRect(span.left, client.top(), span.right - span.left, client.height())
        .intersected(client);
}

} // namespace

StatusPaneProgress::StatusPaneProgress(QLabel& pane, const UiText& text)
    : QObject(&pane), pane_(pane), text_(text),
      font_(CellFont::make("Courier", kFontCellHeight, kFontWeight, QFont::TypeWriter)) {
    // Crisp single-colour glyphs, so the colour change at the bar's end stays sharp.
    font_.setStyleStrategy(QFont::NoAntialias);
    pane_.installEventFilter(this);
}

QColor StatusPaneProgress::buttonFace() const {
    return pane_.palette().color(QPalette::Button);
}

void StatusPaneProgress::DrawProgress(int percent) {
    percent_ = percent;
    paneText_ = pane_.text();
    pane_.repaint();
    emit drawn(percent);
}

void StatusPaneProgress::clear() {
    if (percent_) {
        percent_.reset();
        pane_.update();
    }
}

bool StatusPaneProgress::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &pane_ || event->type() != QEvent::Paint || !percent_) {
        return false;
    }
    if (pane_.text() != paneText_) {
        percent_.reset();
        return false;
    }
    paintPaneThenProgress(event);
    return true;
}

void StatusPaneProgress::paintPaneThenProgress(QEvent* paint) {
    // The pane draws its frame first; QObject::event is public and passes no filter.
    static_cast<QObject&>(pane_).event(paint);
    paintProgress();
}

void StatusPaneProgress::paintProgress() {
    const QRect client = pane_.contentsRect();
    const ProgressLayout layout(client.left(), client.width(), *percent_);
    const QRect rest = columns(layout.rest(), client);
    QPainter painter(&pane_);
    painter.fillRect(rest, buttonFace());
    if (!layout.hasBar()) {
        return;
    }
    const QRect bar = columns(layout.bar(), client);
    painter.fillRect(bar, QColor(kBar));
    painter.setFont(font_);
    const QString text =
        QString::fromStdU16String(ProgressLayout::text(text_.text(kCompletedText), *percent_));
    // The position is the text cell's top-left corner; Qt draws from the baseline.
    const QPoint origin =
        client.topLeft() +
        QPoint(ProgressLayout::kTextX, ProgressLayout::kTextY + QFontMetrics(font_).ascent());
    for (const auto& [clip, colour] : {std::pair{bar, kTextOnBar}, std::pair{rest, kTextOnRest}}) {
        if (clip.isEmpty()) {
            continue;
        }
        painter.setClipRect(clip);
        painter.setPen(QColor(colour));
        painter.drawText(origin, text);
    }
}

} // namespace halden
