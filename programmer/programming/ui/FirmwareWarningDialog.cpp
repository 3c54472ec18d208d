#include "programmer/programming/ui/FirmwareWarningDialog.h"

#include "common/qt/CellFont.h"
#include "common/qt/DialogBuilder.h"
#include "programmer/text/UiText.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <cstdint>

namespace halden {

namespace {

static_assert(WarningArt::kFrameCount == WarningAnimation::kFrameCount);

constexpr std::uint16_t kTitleText = 1107;
constexpr std::uint16_t kWaitText = 1127;
constexpr std::uint16_t kOfferText = 1131;
constexpr std::uint16_t kOkText = 1142;
constexpr std::uint16_t kCancelText = 1143;

DialogTemplate warningTemplate() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = FirmwareWarningDialog::kTemplateId;
    t.width = 297;
    t.height = 98;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(FirmwareWarningDialog::kTitle, Kind::Static, u"", {3, 4, 290, 36});
    t.add(FirmwareWarningDialog::kMessage, Kind::Static, u"", {7, 42, 283, 25});
    t.add(FirmwareWarningDialog::kOk, Kind::Button, u"", {97, 77, 50, 14});
    t.add(FirmwareWarningDialog::kCancel, Kind::Button, u"", {151, 77, 50, 14});
    t.add(FirmwareWarningDialog::kBitmap, Kind::Static, u"", {17, 70, 23, 22}).hidden = true;
    return t;
}

QString uiText(const UiText& text, std::uint16_t id) {
    return QString::fromStdU16String(text.text(id));
}

} // namespace

FirmwareWarningDialog::FirmwareWarningDialog(Mode mode, const UiText& text, QWidget* mainWindow)
    : QDialog(mainWindow), mode_(mode), text_(text), mainWindow_(mainWindow),
      frames_(WarningArt::frames()) {
    DialogBuilder::build(*this, warningTemplate());
    // The template has no caption; an empty title would show the program's name instead.
    setWindowTitle(kBlankCaption);
    title_ = findChild<QLabel*>(QString::number(kTitle));
    message_ = findChild<QLabel*>(QString::number(kMessage));
    bitmap_ = findChild<QLabel*>(QString::number(kBitmap));
    ok_ = findChild<QPushButton*>(QString::number(kOk));
    cancel_ = findChild<QPushButton*>(QString::number(kCancel));
    title_->setText(uiText(text_, kTitleText));
    message_->setText(uiText(text_, kOfferText));
    ok_->setText(uiText(text_, kOkText));
    cancel_->setText(uiText(text_, kCancelText));
    setUpLook();

    animationTimer_ = new QTimer(this);
    animationTimer_->setObjectName("timer1");
    animationTimer_->setInterval(WarningAnimation::kAnimationMs);
    closeTimer_ = new QTimer(this);
    closeTimer_->setObjectName("timer2");
    closeTimer_->setInterval(WarningAnimation::kCloseMs);
    connect(animationTimer_, &QTimer::timeout, this, [this] { OnAnimationTimer(); });
    connect(closeTimer_, &QTimer::timeout, this, [this] { OnCloseTimer(); });
    connect(ok_, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { OnCancel(); });
}

void FirmwareWarningDialog::setUpLook() {
    // The template's group-box rules do not apply here, and a style sheet would
    // override the palettes below.
    setStyleSheet({});
    QPalette dialogPalette = palette();
    dialogPalette.setColor(QPalette::Window, QColor(kDialogColour));
    dialogPalette.setColor(QPalette::WindowText, Qt::black);
    setPalette(dialogPalette);
    setAutoFillBackground(true);

    QPalette titlePalette = title_->palette();
    titlePalette.setColor(QPalette::Window, Qt::black);
    titlePalette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    title_->setPalette(titlePalette);
    title_->setAutoFillBackground(true);
    title_->setAlignment(Qt::AlignCenter);
    title_->setFont(CellFont::make("Impact", 48, 600));

    message_->setFont(CellFont::make("Arial", 16, 600));
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The sign stays where the animation ends, so the two never show side by side.
    bitmap_->setPixmap(WarningArt::sign(bitmap_->size(), QPoint(kFrameX, kFrameY) - bitmap_->pos(),
                                        QColor(kDialogColour)));
}

void FirmwareWarningDialog::ShowFirmwareWarning(
    Mode mode, const UiText& text, QWidget* mainWindow,
    const std::function<void(FirmwareWarningDialog*)>& onStart) {
    FirmwareWarningDialog dialog(mode, text, mainWindow);
    if (onStart) {
        connect(&dialog, &FirmwareWarningDialog::startRequested, &dialog, onStart);
    }
    dialog.exec();
}

void FirmwareWarningDialog::OnOk() {
    if (stopped_) {
        accept();
        return;
    }
    if (!animation_.pressOk()) {
        return;
    }
    waitText_ = uiText(text_, kWaitText);
    animationTimer_->start();
    ok_->hide();
    cancel_->hide();
    QMetaObject::invokeMethod(
        this, [this] { emit startRequested(this); }, Qt::QueuedConnection);
}

void FirmwareWarningDialog::OnCancel() {
    if (mode_ == Mode::Forced && mainWindow_) {
        QMetaObject::invokeMethod(
            mainWindow_, [window = mainWindow_] { window->close(); }, Qt::QueuedConnection);
    }
    reject();
}

void FirmwareWarningDialog::OnAnimationTimer() {
    animation_.tick();
    message_->setText(waitText_ + QString(*animation_.dots(), u'.'));
    showTitle();
    update(frameSquare());
}

int FirmwareWarningDialog::OnFirmwareLoaded() {
    animation_.loaded();
    repaintFrameNow();
    showTitle();
    bitmap_->setVisible(animation_.bitmapShown());
    if (animation_.timer() == WarningAnimation::Timer::Close) {
        animationTimer_->stop();
        closeTimer_->start();
    }
    return 1;
}

void FirmwareWarningDialog::OnUpgradeStopped(const QString& text) {
    stopped_ = true;
    animationTimer_->stop();
    closeTimer_->stop();
    title_->setText(uiText(text_, kTitleText));
    message_->setText(text);
    ok_->show();
    ok_->setFocus();
}

void FirmwareWarningDialog::OnCloseTimer() {
    closeTimer_->stop();
    animation_.closeTimerElapsed();
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void FirmwareWarningDialog::done(int result) {
    animationTimer_->stop();
    closeTimer_->stop();
    QDialog::done(result);
}

void FirmwareWarningDialog::showTitle() {
    title_->setText(animation_.titleShown() ? uiText(text_, kTitleText) : QString());
}

void FirmwareWarningDialog::repaintFrameNow() {
    repaint(frameSquare());
}

QRect FirmwareWarningDialog::frameSquare() const {
    return {kFrameX, kFrameY, kFrameRepaint, kFrameRepaint};
}

void FirmwareWarningDialog::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(kFrameX, kFrameY, frames_[animation_.frame()]);
}

} // namespace halden
