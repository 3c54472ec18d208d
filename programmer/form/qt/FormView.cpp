#include "programmer/form/qt/FormView.h"

#include "programmer/form/qt/FormFont.h"
#include "programmer/form/qt/FormPage.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace halden {

namespace {

FormScrolling::Request requestFor(int action) {
    using Request = FormScrolling::Request;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return Request::LineBack;
    case QAbstractSlider::SliderSingleStepAdd:
        return Request::LineForward;
    case QAbstractSlider::SliderPageStepSub:
        return Request::PageBack;
    case QAbstractSlider::SliderPageStepAdd:
        return Request::PageForward;
    case QAbstractSlider::SliderMove:
        return Request::ThumbTrack;
    default:
        return Request::Other;
    }
}

} // namespace

FormView::FormView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QString::number(kId));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Painting covers the whole view, so the background is never erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    const QFont& font = FormFont::screen();
    setFont(font);
    page_ = QImage(1, 1, QImage::Format_RGB32);
    cell_ = FormFont::cell(font, &page_);
    page_ = QImage(FormPage::kColumns * cell_.width(), FormPage::kRows * cell_.height(),
                   QImage::Format_RGB32);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(verticalScrollBar(), action, cell_.height()); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(horizontalScrollBar(), action, cell_.width()); });
    setRanges();
}

void FormView::setText(const QString& text) {
    text_ = text;
    viewport()->update();
}

// Ranges of 70 lines and 100 characters, each bar's page the client's extent.
void FormView::setRanges() {
    const QSize client = viewport()->size();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(client.height());
    vertical->setSingleStep(cell_.height());
    vertical->setRange(
        0, FormScrolling::maximumPosition(FormScrolling::kRows * cell_.height(), client.height()));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(client.width());
    horizontal->setSingleStep(cell_.width());
    horizontal->setRange(
        0, FormScrolling::maximumPosition(FormScrolling::kColumns * cell_.width(), client.width()));
}

// The bar has moved its slider by its own steps already; the view's steps replace them.
void FormView::onScrollAction(QScrollBar* bar, int action, int cell) {
    const auto next =
        FormScrolling::next(requestFor(action), bar->value(), cell, bar->sliderPosition());
    if (next) {
        bar->setSliderPosition(*next);
    }
}

void FormView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    setRanges();
}

void FormView::scrollContentsBy(int, int) {
    viewport()->update();
}

void FormView::paintPage() {
    page_.fill(Qt::white);
    QPainter painter(&page_);
    painter.setFont(FormFont::screen());
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QRect rect(0, 0, FormPage::kColumns * cell_.width(), FormPage::kColumns * cell_.height());
    FormPage::draw(painter, text_, rect, FormPageRules::Device::Screen, cell_);
}

void FormView::paintEvent(QPaintEvent*) {
    paintPage();
    QPainter painter(viewport());
    const QPoint origin(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.fillRect(viewport()->rect(), Qt::white);
    painter.drawImage(QPoint(0, 0), page_, QRect(origin, viewport()->size()));
}

} // namespace halden
