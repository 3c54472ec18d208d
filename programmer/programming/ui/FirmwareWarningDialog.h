#pragma once

#include "programmer/programming/ui/WarningAnimation.h"
#include "programmer/programming/ui/WarningArt.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace halden {

class UiText;

// The firmware warning dialog (template 169): offers the adapter firmware upgrade and
// animates while the main window runs it. OK asks for the upgrade through
// startRequested; the upgrade reports the end of its download through
// OnFirmwareLoaded, after which the dialog closes itself.
class FirmwareWarningDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 169;
    // The title bar shows no text: a title of one space, since an empty one is replaced by
    // the program's name.
    static constexpr const char* kBlankCaption = " ";
    static constexpr int kTitle = 1095;
    static constexpr int kMessage = 1089;
    static constexpr int kOk = 1086;
    static constexpr int kCancel = 1087;
    static constexpr int kBitmap = 1096;
    // Where the animation frame is painted, in pixels.
    static constexpr int kFrameX = 30;
    static constexpr int kFrameY = 131;
    // The square each tick repaints around the frame.
    static constexpr int kFrameRepaint = 50;
    static constexpr QRgb kDialogColour = qRgb(251, 209, 3);

    // Forced: the adapter cannot work without the upgrade, so Cancel also ends the
    // program by closing the main window.
    enum class Mode { Normal = 0, Forced = 1 };

    FirmwareWarningDialog(Mode mode, const UiText& text, QWidget* mainWindow);

    // Runs the dialog modally over the main window; onStart gets the dialog when OK
    // asks for the upgrade. The dialog is gone when this returns.
    static void ShowFirmwareWarning(Mode mode, const UiText& text, QWidget* mainWindow,
                                    const std::function<void(FirmwareWarningDialog*)>& onStart);

    const WarningAnimation& animation() const { return animation_; }

public slots:
    // The download phase has ended: final frame, title and bitmap shown; closes 50 ms
    // later when the upgrade was started here. Answers 1.
    int OnFirmwareLoaded();
    // The upgrade stopped before it finished: the animation ends, the message becomes
    // text, and OK comes back to close the dialog.
    void OnUpgradeStopped(const QString& text);
    bool stopped() const { return stopped_; }
    // Every way out stops the timers, so a dialog object that outlives its window
    // stays still.
    void done(int result) override;

signals:
    // OK was pressed: the main window should start the upgrade. Delivered after the
    // click has been handled, as a posted message would be.
    void startRequested(FirmwareWarningDialog* dialog);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setUpLook();
    void OnOk();
    void OnCancel();
    void OnAnimationTimer();
    void OnCloseTimer();
    void showTitle();
    void repaintFrameNow();
    QRect frameSquare() const;

    Mode mode_;
    const UiText& text_;
    QPointer<QWidget> mainWindow_;
    WarningAnimation animation_{WarningAnimation::sharedDotCount()};
    std::array<QPixmap, WarningArt::kFrameCount> frames_;
    QString waitText_;
    QLabel* title_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* bitmap_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* animationTimer_ = nullptr;
    QTimer* closeTimer_ = nullptr;
    bool stopped_ = false;
};

} // namespace halden
