// The setup window offscreen: start-up without the link library, the keyboard filter,
// the folder choice with its status message, and the About box.
#include "common/qt/DialogBuilder.h"
#include "packsetup/SetupDialogTemplate.h"
#include "packsetup/qt/SetupAboutDialog.h"
#include "packsetup/qt/SetupApp.h"
#include "tests/packsetup/KeilFixture.h"
#include "tests/packsetup/SetupFixture.h"

#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace halden {
namespace {

using Choice = FolderChooser::Choice;
using T = SetupDialogTemplate;

class SetupWindowTest : public test::SetupWindowFixture {
protected:
    QLineEdit* edit(SetupDialog& window) { return window.control<QLineEdit>(T::kFolderEdit); }
    bool enabled(SetupDialog& window, int id) { return window.control(id)->isEnabled(); }
    void browse(SetupDialog& window, Choice choice) {
        chooser.choices.push_back(std::move(choice));
        window.control<QPushButton>(T::kBrowse)->click();
    }
    // A Keil folder whose TOOLS.INI is named as Keil names it.
    std::string keilFolder() const {
        keil.write("TOOLS.INI", "[ARMADS]\r\nPATH=\"C:\\Keil_v5\\ARM\\\"\r\n");
        return keil.path().string();
    }
    test::TempDir keil;
    test::TempDir empty;
};

TEST_F(SetupWindowTest, StartsWithoutTheLinkLibraryAtTheTemplateGeometry) {
    SetupApp app(messages, desktop);
    programFolder.write(LinkLibrary::kFileName, "not a library");
    EXPECT_FALSE(app.loadLinkLibrary(programFolder.path().string()))
        << "an unloadable file beside the program counts as none";
    EXPECT_FALSE(app.loadLinkLibrary(empty.path().string()));
    auto window = open(&app.linkLibrary());

    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Setup corvane M3 DFP for Keil MDK");
    const DialogTemplate layout = T::make();
    const DialogUnits units = DialogBuilder::baseUnits(window->font());
    EXPECT_EQ(window->size(), QSize(units.toPixelsX(215), units.toPixelsY(144)));
    for (const auto& control : layout.controls) {
        const QWidget* widget = window->findChild<QWidget*>(DialogBuilder::objectName(control));
        ASSERT_NE(widget, nullptr) << control.id;
        const auto rect = units.toPixels(control.rect);
        EXPECT_EQ(widget->geometry(), QRect(rect.x, rect.y, rect.width, rect.height)) << control.id;
    }
    EXPECT_EQ(window->control<QLabel>(T::kDescription)->text().toStdU16String(),
              SetupDialog::kDescription);
    EXPECT_FALSE(enabled(*window, T::kInstall));
    EXPECT_FALSE(enabled(*window, T::kUninstall));
    EXPECT_TRUE(enabled(*window, T::kUpgradeFirmware));
    EXPECT_TRUE(enabled(*window, T::kBrowse));
    // The status bar at the bottom, 24 pixels at least; pane 0 is 100 pixels short of the
    // window's width.
    const QStatusBar* bar = window->statusBar();
    EXPECT_EQ(bar->objectName(), "59393");
    EXPECT_EQ(bar->geometry().bottom(), window->rect().bottom());
    EXPECT_GE(bar->height(), 24);
    EXPECT_EQ(window->pane(0)->width(), window->width() - 100);
    EXPECT_EQ(window->pane(0)->text(), "");
    EXPECT_EQ(window->pane(1)->text(), "v1.2.0");
    EXPECT_FALSE(window->linkBound());
    EXPECT_FALSE(window->watchingDevices());

    window->control<QPushButton>(T::kUpgradeFirmware)->click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              "The Tavro firmware cannot be upgraded: the link library M3_Tavro.so is not in "
              "PackSetup's folder.");
    EXPECT_EQ(messages.messages[0].caption, "Setup corvane M3 DFP for Keil MDK");
    EXPECT_FALSE(window->upgradeInProgress());
}

// The banner shows from its top-left corner and is wider than the window: all of its
// drawing (title and subtitle) must stand within the part the window shows.
TEST_F(SetupWindowTest, TheBannersTextFitsTheWindow) {
    auto window = open();
    auto* banner = window->findChild<QLabel*>("bitmap");
    ASSERT_NE(banner, nullptr);
    const QImage image = banner->pixmap().toImage();
    ASSERT_FALSE(image.isNull());
    int lastDrawn = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb background = image.pixel(image.width() - 1, y);
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                lastDrawn = std::max(lastDrawn, x);
            }
        }
    }
    EXPECT_GT(lastDrawn, 0);
    const int shown = std::min(banner->width(), window->width());
    EXPECT_LT(lastDrawn, shown - 4) << "drawn up to x=" << lastDrawn << " of " << shown;
}

TEST_F(SetupWindowTest, BindsTheLinkLibraryAndWatchesDevicesWhenItLiesBesideTheProgram) {
    SetupApp app(messages, desktop);
    ASSERT_TRUE(app.loadLinkLibrary(HALDEN_BIN_DIR));
    auto window = open(&app.linkLibrary());
    EXPECT_TRUE(window->linkBound());
    EXPECT_TRUE(window->watchingDevices());
    EXPECT_EQ(SetupApp::folderOf("/usr/lib/halden/PackSetup"), "/usr/lib/halden");
    EXPECT_EQ(SetupApp::folderOf("PackSetup"), "");
    std::string self;
    ASSERT_EQ(SetupApp::programPath(self), 0u);
    EXPECT_TRUE(std::filesystem::equivalent(self, "/proc/self/exe"));
    EXPECT_EQ(SetupApp::folderOf(self), std::filesystem::path(self).parent_path().string());
}

// Enter and Escape reach no button and do not end the window, wherever the focus is.
TEST_F(SetupWindowTest, EnterAndEscapeDoNothing) {
    auto window = open();
    int exits = 0;
    QObject::connect(window->control<QPushButton>(T::kExit), &QPushButton::clicked,
                     [&exits] { ++exits; });
    for (const int id : {T::kExit, T::kFolderEdit, T::kUpgradeFirmware, T::kBrowse}) {
        QWidget* target = window->control(id);
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(std::to_string(id) + " key " + std::to_string(key));
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(target, &release);
            QApplication::processEvents();
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->result(), 0);
        }
    }
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(messages.messages.empty()) << "1007 was not pressed";
    EXPECT_TRUE(chooser.titles.empty()) << "Browse was not pressed";
    // Other keys still work: Space presses the focused button.
    window->control(T::kExit)->setFocus();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(window->control(T::kExit), &space);
    QKeyEvent spaceUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(window->control(T::kExit), &spaceUp);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

// A folder without TOOLS.INI: both buttons off, the edit box empty, the message in pane 0
// for two seconds while pane 1 keeps the version.
TEST_F(SetupWindowTest, RejectedFolderShowsItsMessageForTwoSeconds) {
    auto window = open();
    edit(*window)->setText("typed");
    browse(*window, {Choice::Kind::Chosen, empty.path().string()});
    QElapsedTimer shown;
    shown.start();
    EXPECT_EQ(chooser.titles,
              std::vector<std::string>{"Choose a folder where Keil MDK_ARM is installed"});
    EXPECT_EQ(edit(*window)->text(), "");
    EXPECT_FALSE(enabled(*window, T::kInstall));
    EXPECT_FALSE(enabled(*window, T::kUninstall));
    EXPECT_EQ(window->pane(0)->text(), "Can't find \"Tools.ini\" in this path !");
    EXPECT_EQ(window->pane(1)->text(), "v1.2.0");
    EXPECT_TRUE(messages.messages.empty());

    bool versionKept = true;
    ASSERT_TRUE(runUntil(
        [&] {
            versionKept = versionKept && window->pane(1)->text() == "v1.2.0";
            return window->pane(0)->text().isEmpty();
        },
        5000));
    EXPECT_GE(shown.elapsed(), 1990);
    EXPECT_TRUE(versionKept);
    EXPECT_EQ(window->pane(1)->text(), "v1.2.0");
}

// A later message restarts the period; the pane empties two seconds after the last one.
TEST_F(SetupWindowTest, SecondRejectedFolderRestartsThePeriod) {
    auto window = open();
    browse(*window, {Choice::Kind::Chosen, empty.path().string()});
    runFor(1200);
    browse(*window, {Choice::Kind::Chosen, empty.path().string()});
    QElapsedTimer shown;
    shown.start();
    EXPECT_EQ(window->pane(0)->text(), "Can't find \"Tools.ini\" in this path !");
    ASSERT_TRUE(runUntil([&] { return window->pane(0)->text().isEmpty(); }, 5000));
    EXPECT_GE(shown.elapsed(), 1990);
}

TEST_F(SetupWindowTest, FolderWithToolsIniEnablesInstallAndUninstall) {
    auto window = open();
    const std::string folder = keilFolder();
    browse(*window, {Choice::Kind::Chosen, folder});
    EXPECT_EQ(edit(*window)->text().toStdString(), folder);
    EXPECT_TRUE(enabled(*window, T::kInstall));
    EXPECT_TRUE(enabled(*window, T::kUninstall));
    EXPECT_EQ(window->pane(0)->text(), "");

    // Cancelled: nothing changes.
    browse(*window, {Choice::Kind::Cancelled, {}});
    EXPECT_EQ(edit(*window)->text().toStdString(), folder);
    EXPECT_TRUE(enabled(*window, T::kInstall));
    // No path for the folder: the message, the edit box emptied, the buttons as they were.
    browse(*window, {Choice::Kind::NoPath, {}});
    EXPECT_EQ(texts(), std::vector<std::string>{
                           "[Setup corvane M3 DFP for Keil MDK] Fail to get directory !"});
    EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Error);
    EXPECT_EQ(edit(*window)->text(), "");
    EXPECT_TRUE(enabled(*window, T::kInstall));
    // An empty path: the edit box emptied, nothing else.
    edit(*window)->setText("typed");
    browse(*window, {Choice::Kind::Chosen, ""});
    EXPECT_EQ(edit(*window)->text(), "");
    EXPECT_TRUE(enabled(*window, T::kUninstall));
    EXPECT_EQ(window->pane(0)->text(), "");
    EXPECT_EQ(messages.messages.size(), 1u);

    // Then a folder without it turns both off again.
    browse(*window, {Choice::Kind::Chosen, empty.path().string()});
    EXPECT_FALSE(enabled(*window, T::kInstall));
    EXPECT_FALSE(enabled(*window, T::kUninstall));
}

// Install and Uninstall act on the edit box's text as it stands, also when it was typed
// after a Browse, and show nothing.
TEST_F(SetupWindowTest, InstallAndUninstallActOnTheEditBoxText) {
    test::KeilFixture browsed;
    test::KeilFixture typed;
    const std::string original = test::fileBytes(typed.toolsIni);
    auto window = open(nullptr, typed.program.string());
    browse(*window, {Choice::Kind::Chosen, browsed.mdk.string()});
    ASSERT_TRUE(enabled(*window, T::kInstall));
    edit(*window)->setText(QString::fromStdString(typed.mdk.string()));

    window->control<QPushButton>(T::kInstall)->click();
    const std::string installed = test::fileBytes(typed.toolsIni);
    EXPECT_NE(installed.find("TDRV2=BIN\\DAPAGENT.dll(\"Debug Access Port Debugger\")\r\n"
                             "TDRV3=BIN\\M3_Tavro.dll(\"Tavro Cortex-M3 Debugger\")\r\n"),
              std::string::npos)
        << installed;
    EXPECT_NE(installed.find("CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1,TDRV2,TDRV3)    # Drivers for"),
              std::string::npos);
    EXPECT_EQ(test::fileBytes(typed.driver()), typed.driverBytes);
    EXPECT_EQ(desktop.opened, std::vector<std::string>{typed.pack().string()});
    EXPECT_EQ(test::fileBytes(browsed.toolsIni), test::realisticToolsIni()) << "not browsed one";
    EXPECT_FALSE(std::filesystem::exists(browsed.driver()));

    window->control<QPushButton>(T::kUninstall)->click();
    EXPECT_EQ(test::fileBytes(typed.toolsIni), original);
    EXPECT_FALSE(std::filesystem::exists(typed.driver()));
    EXPECT_EQ(desktop.opened.size(), 1u) << "Uninstall leaves the pack alone";
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(window->pane(0)->text(), "");
}

// Without M3_Tavro.dll beside the program the driver is registered all the same, and
// pane 0 says for two seconds that its file was not found; a copied driver says nothing.
TEST_F(SetupWindowTest, InstallWithoutTheDriverFileSaysSoInPaneZero) {
    test::KeilFixture keil;
    std::filesystem::remove(keil.program / "M3_Tavro.dll");
    auto window = open(nullptr, keil.program.string());
    browse(*window, {Choice::Kind::Chosen, keil.mdk.string()});
    window->control<QPushButton>(T::kInstall)->click();
    QElapsedTimer shown;
    shown.start();
    EXPECT_NE(
        test::fileBytes(keil.toolsIni).find("=BIN\\M3_Tavro.dll(\"Tavro Cortex-M3 Debugger\")"),
        std::string::npos)
        << "registered";
    EXPECT_FALSE(std::filesystem::exists(keil.driver()));
    const QString said = window->pane(0)->text();
    EXPECT_EQ(said, "Can't find \"M3_Tavro.dll\" beside PackSetup !");
    EXPECT_GE(window->pane(0)->width(), window->pane(0)->fontMetrics().horizontalAdvance(said))
        << "the whole message shows";
    EXPECT_TRUE(messages.messages.empty());
    screenshot(*window, "packsetup-no-driver.png");
    ASSERT_TRUE(runUntil([&] { return window->pane(0)->text().isEmpty(); }, 5000));
    EXPECT_GE(shown.elapsed(), 1990);

    // With the file there, Install copies it and pane 0 stays empty.
    test::KeilFixture complete;
    auto second = open(nullptr, complete.program.string());
    browse(*second, {Choice::Kind::Chosen, complete.mdk.string()});
    second->control<QPushButton>(T::kInstall)->click();
    EXPECT_EQ(test::fileBytes(complete.driver()), complete.driverBytes);
    EXPECT_EQ(second->pane(0)->text(), "");
}

TEST_F(SetupWindowTest, SystemMenuShowsTheAboutBox) {
    auto window = open();
    const auto actions = window->systemMenu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "&About PackSetup...");

    QString caption;
    QStringList labels;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<SetupAboutDialog*>(QApplication::activeModalWidget());
        if (about == nullptr) {
            return;
        }
        caption = about->windowTitle();
        for (const QLabel* label : about->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                labels.push_back(label->text());
            }
        }
        about->findChild<QPushButton*>("1")->click();
    });
    actions[1]->trigger();
    EXPECT_EQ(caption, "About PackSetup");
    EXPECT_TRUE(labels.contains("PackSetup Version 1.1")) << labels.join("|").toStdString();
    EXPECT_TRUE(labels.contains("Copyright (C) Corvane. Part of Halden."));
    EXPECT_TRUE(window->isVisible()) << "the About box ends by itself";
}

} // namespace
} // namespace halden
