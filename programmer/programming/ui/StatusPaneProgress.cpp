#include "programmer/programming/ui/StatusPaneProgress.h"

#include "common/ProgressLayout.h"
#include "common/qt/ProgressPainter.h"
#include "programmer/text/UiText.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

#include <cstdint>
#include <utility>

namespace halden {

namespace {

constexpr std::uint16_t kCompletedText = 1109;
// The top-left corner of the text's cell in the pane's client area.
constexpr QPoint kTextCell{147, 5};

} // namespace

StatusPaneProgress::StatusPaneProgress(QLabel& pane, const UiText& text)
    : QObject(&pane), pane_(pane), text_(text), font_(ProgressPainter::font()) {
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
    QPainter painter(&pane_);
    const QString text =
        QString::fromStdU16String(ProgressLayout::text(text_.text(kCompletedText), *percent_));
    ProgressPainter::paint(painter, pane_.contentsRect(), *percent_, text, font_, kTextCell,
                           buttonFace());
}

} // namespace halden
