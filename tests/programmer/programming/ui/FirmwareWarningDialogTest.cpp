#include "programmer/programming/ui/FirmwareWarningDialog.h"

#include "tests/programmer/app/MainWindowFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace halden {
namespace {

using Mode = FirmwareWarningDialog::Mode;

// Runs the event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void runEventsFor(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

class FirmwareWarningDialogTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        WarningAnimation::sharedDotCount() = 0;
        window = open();
        window->show();
    }

    std::unique_ptr<FirmwareWarningDialog> openWarning(Mode mode = Mode::Normal) {
        auto dialog =
            std::make_unique<FirmwareWarningDialog>(mode, window->core().text(), window.get());
        dialog->show();
        return dialog;
    }

    template <typename T> static T* control(const FirmwareWarningDialog& dialog, int id) {
        return dialog.findChild<T*>(QString::number(id));
    }
    static QTimer* timer(const FirmwareWarningDialog& dialog, const char* name) {
        return dialog.findChild<QTimer*>(name);
    }
    static void pressEscape(FirmwareWarningDialog& dialog) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
    }
    // The frame's pixel at (x, y) of the 41 x 41 grid, as the dialog shows it.
    static QRgb framePixel(FirmwareWarningDialog& dialog, int x, int y) {
        return dialog.grab().toImage().pixel(FirmwareWarningDialog::kFrameX + x,
                                             FirmwareWarningDialog::kFrameY + y);
    }

    std::unique_ptr<CProgrammerDlg> window;
};

TEST_F(FirmwareWarningDialogTest, OpensWithTheOfferInItsColours) {
    auto dialog = openWarning();
    // No caption text: blank, since an empty title gets the program's name in its place.
    EXPECT_FALSE(dialog->windowTitle().isEmpty());
    EXPECT_TRUE(dialog->windowTitle().trimmed().isEmpty());
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kTitle)->text(), "Warning !");
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kMessage)->text(),
              "Unmatched firmware version on the Tavro. Press <OK> to update or <Cancel> to "
              "quit .");
    EXPECT_EQ(control<QPushButton>(*dialog, FirmwareWarningDialog::kOk)->text(), "Ok");
    EXPECT_EQ(control<QPushButton>(*dialog, FirmwareWarningDialog::kCancel)->text(), "Cancel");
    EXPECT_FALSE(control<QLabel>(*dialog, FirmwareWarningDialog::kBitmap)->isVisible());

    const QImage image = dialog->grab().toImage();
    const QRect title = control<QLabel>(*dialog, FirmwareWarningDialog::kTitle)->geometry();
    EXPECT_EQ(image.pixel(2, 2), FirmwareWarningDialog::kDialogColour);
    EXPECT_EQ(image.pixel(title.topLeft() + QPoint(1, 1)), qRgb(0, 0, 0));
    bool redTitle = false;
    for (int x = title.left(); x <= title.right() && !redTitle; ++x) {
        redTitle = image.pixel(x, title.center().y()) == qRgb(255, 0, 0);
    }
    EXPECT_TRUE(redTitle);
    // Frame 0 is empty.
    EXPECT_EQ(framePixel(*dialog, 20, 31), FirmwareWarningDialog::kDialogColour);
}

TEST_F(FirmwareWarningDialogTest, OnlyTheFirstOkStartsTheUpgrade) {
    auto dialog = openWarning();
    std::vector<FirmwareWarningDialog*> requests;
    QObject::connect(dialog.get(), &FirmwareWarningDialog::startRequested,
                     [&](FirmwareWarningDialog* from) { requests.push_back(from); });
    auto* ok = control<QPushButton>(*dialog, FirmwareWarningDialog::kOk);
    ok->click();
    EXPECT_TRUE(requests.empty()) << "the request is posted, not sent";
    QApplication::processEvents();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], dialog.get());
    EXPECT_FALSE(ok->isVisible());
    EXPECT_FALSE(control<QPushButton>(*dialog, FirmwareWarningDialog::kCancel)->isVisible());
    EXPECT_TRUE(dialog->animation().started());
    EXPECT_TRUE(timer(*dialog, "timer1")->isActive());
    EXPECT_EQ(timer(*dialog, "timer1")->interval(), 100);

    ASSERT_TRUE(waitUntil([&] { return dialog->animation().dots() == 1; }));
    const QString message = control<QLabel>(*dialog, FirmwareWarningDialog::kMessage)->text();
    ok->click();
    EXPECT_EQ(dialog->animation().dots(), 1) << "a second OK does not restart the animation";
    EXPECT_EQ(dialog->animation().frame(), 2);
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kMessage)->text(), message);
    EXPECT_TRUE(timer(*dialog, "timer1")->isActive());
    QApplication::processEvents();
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
}

// The wait text takes the dots and the title blinks, each tick as the animation says.
TEST_F(FirmwareWarningDialogTest, AnimationShowsWaitTextDotsAndBlinkingTitle) {
    auto dialog = openWarning();
    control<QPushButton>(*dialog, FirmwareWarningDialog::kOk)->click();
    const QString wait = "Update firmware version, please wait for a while.";
    auto* message = control<QLabel>(*dialog, FirmwareWarningDialog::kMessage);
    auto* title = control<QLabel>(*dialog, FirmwareWarningDialog::kTitle);
    EXPECT_NE(message->text(), wait) << "the offer stands until the first tick";

    ASSERT_TRUE(waitUntil([&] { return dialog->animation().dots() == 0; }));
    EXPECT_EQ(message->text(), wait);
    EXPECT_EQ(title->text(), "Warning !");
    EXPECT_NE(framePixel(*dialog, 3, 35), FirmwareWarningDialog::kDialogColour)
        << "frame 1 draws the left side";

    ASSERT_TRUE(waitUntil([&] { return dialog->animation().dots() == 2; }));
    EXPECT_EQ(message->text(), wait + "..");
    EXPECT_EQ(title->text(), "Warning !");
    ASSERT_TRUE(waitUntil([&] { return dialog->animation().dots() == 3; }));
    EXPECT_EQ(message->text(), wait + "...");
    EXPECT_EQ(title->text(), "");
}

struct CancelCase {
    Mode mode;
    bool mainWindowOpen;
};

class FirmwareWarningCancelTest : public FirmwareWarningDialogTest,
                                  public testing::WithParamInterface<CancelCase> {};

TEST_P(FirmwareWarningCancelTest, CancelClosesTheDialogAndInForcedModeTheProgram) {
    auto dialog = openWarning(GetParam().mode);
    control<QPushButton>(*dialog, FirmwareWarningDialog::kCancel)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    QApplication::processEvents();
    EXPECT_EQ(window->isVisible(), GetParam().mainWindowOpen);
}

INSTANTIATE_TEST_SUITE_P(Modes, FirmwareWarningCancelTest,
                         testing::Values(CancelCase{Mode::Normal, true},
                                         CancelCase{Mode::Forced, false}));

// Esc closes the dialog in every state, forced mode included, and never the program.
TEST_F(FirmwareWarningDialogTest, EscapeClosesInEveryState) {
    const std::vector<std::function<void(FirmwareWarningDialog&)>> states = {
        [](FirmwareWarningDialog&) {},
        [](FirmwareWarningDialog& d) {
            control<QPushButton>(d, FirmwareWarningDialog::kOk)->click();
        },
        [](FirmwareWarningDialog& d) { d.OnFirmwareLoaded(); },
    };
    for (std::size_t n = 0; n < states.size(); ++n) {
        SCOPED_TRACE(n);
        auto dialog = openWarning(Mode::Forced);
        states[n](*dialog);
        pressEscape(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(timer(*dialog, "timer1")->isActive());
        QApplication::processEvents();
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(FirmwareWarningDialogTest, LoadedBeforeOkShowsTheFinalFrameAndStaysOpen) {
    auto dialog = openWarning();
    EXPECT_EQ(dialog->OnFirmwareLoaded(), 1);
    EXPECT_EQ(dialog->animation().frame(), WarningAnimation::kFinalFrame);
    EXPECT_EQ(framePixel(*dialog, 20, 31), qRgb(0, 0, 0)) << "the mark's dot";
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kTitle)->text(), "Warning !");
    EXPECT_TRUE(control<QLabel>(*dialog, FirmwareWarningDialog::kBitmap)->isVisible());
    EXPECT_FALSE(timer(*dialog, "timer2")->isActive());
    runEventsFor(200);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(control<QPushButton>(*dialog, FirmwareWarningDialog::kOk)->isVisible());
}

TEST_F(FirmwareWarningDialogTest, LoadedAfterOkClosesAfterTheShortTimer) {
    auto dialog = openWarning();
    control<QPushButton>(*dialog, FirmwareWarningDialog::kOk)->click();
    ASSERT_TRUE(waitUntil([&] { return dialog->animation().dots() == 1; }));
    ASSERT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kTitle)->text(), "");

    EXPECT_EQ(dialog->OnFirmwareLoaded(), 1);
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kTitle)->text(), "Warning !");
    EXPECT_FALSE(timer(*dialog, "timer1")->isActive());
    EXPECT_TRUE(timer(*dialog, "timer2")->isActive());
    EXPECT_EQ(timer(*dialog, "timer2")->interval(), 50);
    EXPECT_TRUE(dialog->isVisible()) << "the close waits for timer 2";
    EXPECT_TRUE(waitUntil([&] { return !dialog->isVisible(); }));
    EXPECT_FALSE(timer(*dialog, "timer2")->isActive());
    EXPECT_TRUE(window->isVisible());
}

// An upgrade that stops after its download ended: the closing is called off, the dialog
// says why and OK closes it without asking for another upgrade.
TEST_F(FirmwareWarningDialogTest, StoppedUpgradeEndsTheAnimationAndOkCloses) {
    auto dialog = openWarning(Mode::Forced);
    int requests = 0;
    QObject::connect(dialog.get(), &FirmwareWarningDialog::startRequested,
                     [&](FirmwareWarningDialog*) { ++requests; });
    auto* ok = control<QPushButton>(*dialog, FirmwareWarningDialog::kOk);
    ok->click();
    ASSERT_TRUE(waitUntil([&] { return dialog->animation().dots() == 1; }));
    dialog->OnFirmwareLoaded();
    dialog->OnUpgradeStopped("stopped at the download");
    EXPECT_FALSE(timer(*dialog, "timer1")->isActive());
    EXPECT_FALSE(timer(*dialog, "timer2")->isActive());
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kMessage)->text(),
              "stopped at the download");
    EXPECT_EQ(control<QLabel>(*dialog, FirmwareWarningDialog::kTitle)->text(), "Warning !");
    EXPECT_TRUE(ok->isVisible());
    EXPECT_FALSE(control<QPushButton>(*dialog, FirmwareWarningDialog::kCancel)->isVisible());
    runEventsFor(150);
    EXPECT_TRUE(dialog->isVisible()) << "no longer closed by timer 2";
    ok->click();
    QApplication::processEvents();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(window->isVisible()) << "OK is no Cancel: the program goes on";
}

// The whole round as the main window will run it: modal dialog, OK, the upgrade's
// report of the end of its download, and the dialog gone.
TEST_F(FirmwareWarningDialogTest, ShowFirmwareWarningRunsModallyUntilTheUpgradeLoads) {
    FirmwareWarningDialog* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = qobject_cast<FirmwareWarningDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        control<QPushButton>(*shown, FirmwareWarningDialog::kOk)->click();
    });
    // Keeps a failing run from hanging.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    guard.start(10000);
    FirmwareWarningDialog* started = nullptr;
    FirmwareWarningDialog::ShowFirmwareWarning(Mode::Normal, window->core().text(), window.get(),
                                               [&](FirmwareWarningDialog* dialog) {
                                                   started = dialog;
                                                   dialog->OnFirmwareLoaded();
                                               });
    EXPECT_TRUE(guard.isActive()) << "closed by the guard, not by the upgrade";
    EXPECT_NE(started, nullptr);
    EXPECT_EQ(started, shown);
    EXPECT_TRUE(window->isVisible());
}

} // namespace
} // namespace halden
