#include "packsetup/ProgressStrip.h"

#include "packsetup/ProgressStripLayout.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

#include <utility>

namespace halden {

namespace {

QRect columns(const ProgressStripLayout::Span& span, const QRect& client) {
    return QRect(span.left, client.top(), span.right - span.left, client.height())
        .intersected(client);
}

} // namespace

ProgressStrip::ProgressStrip(QLabel& strip) : QObject(&strip), strip_(strip), font_(makeFont()) {
    strip_.installEventFilter(this);
}

// The face the system names is rarely installed here; a look-alike takes its place, at
// the largest size whose cell still fits the height asked for.
QFont ProgressStrip::makeFont() {
    QFont::insertSubstitutions(
        ProgressStripLayout::kFontFace,
        {"Liberation Mono", "Cousine", "Nimbus Mono PS", "DejaVu Sans Mono"});
    QFont font(ProgressStripLayout::kFontFace);
    font.setStyleHint(QFont::TypeWriter);
    font.setWeight(static_cast<QFont::Weight>(ProgressStripLayout::kFontWeight));
    for (int size = ProgressStripLayout::kFontHeight; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= ProgressStripLayout::kFontHeight) {
            break;
        }
    }
    // Single-colour glyphs keep the colour change at the split sharp.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QColor ProgressStrip::buttonFace() const {
    return strip_.palette().color(QPalette::Button);
}

void ProgressStrip::DrawProgress(int percent) {
    pending_ = percent;
    strip_.repaint();
    // Not kept, also when the control could not paint (hidden).
    pending_.reset();
}

bool ProgressStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &strip_ || event->type() != QEvent::Paint || !pending_) {
        return false;
    }
    // The control paints itself first; QObject::event is public and passes no filter.
    static_cast<QObject&>(strip_).event(event);
    const int percent = *pending_;
    pending_.reset();
    QPainter painter(&strip_);
    paint(painter, strip_.rect(), percent, font_, buttonFace());
    painter.end();
    emit painted(percent);
    return true;
}

void ProgressStrip::paint(QPainter& painter, const QRect& client, int percent, const QFont& font,
                          const QColor& buttonFace) {
    const ProgressStripLayout layout(client.left(), client.width(), percent);
    const QRect rest = columns(layout.rest(), client);
    painter.fillRect(rest, buttonFace);
    if (!layout.hasBar()) {
        return;
    }
    const QRect done = columns(layout.done(), client);
    painter.fillRect(done, QColor(kDone));
    painter.setFont(font);
    const QString text = QString::fromStdString(layout.text());
    // The position is the text cell's top-left corner; Qt draws from the baseline.
    const QPoint origin =
        client.topLeft() + QPoint(ProgressStripLayout::kTextX,
                                  ProgressStripLayout::kTextY + QFontMetrics(font).ascent());
    for (const auto& [clip, colour] :
         {std::pair{done, kTextOnDone}, std::pair{rest, kTextOnRest}}) {
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
