#include "packsetup/qt/ProgressStrip.h"

#include "common/ProgressLayout.h"
#include "common/qt/ProgressPainter.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

#include <utility>

namespace halden {

namespace {

// The top-left corner of the text's cell in the strip's client area.
constexpr QPoint kTextCell{90, 2};

} // namespace

ProgressStrip::ProgressStrip(QLabel& strip)
    : QObject(&strip), strip_(strip), font_(ProgressPainter::font()) {
    strip_.installEventFilter(this);
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
    const QString text = QString::fromStdU16String(ProgressLayout::text(u"Completed", percent));
    ProgressPainter::paint(painter, client, percent, text, font, kTextCell, buttonFace);
}

} // namespace halden
