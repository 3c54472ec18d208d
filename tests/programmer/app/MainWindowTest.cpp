#include "adapter/LinkLibrary.h"
#include "common/Unicode.h"
#include "common/qt/DialogBuilder.h"
#include "common/qt/QtMessageService.h"
#include "hexview/qt/HexViewControl.h"
#include "programmer/app/CAboutDlg.h"
#include "programmer/app/CProgrammerDlg.h"
#include "programmer/app/MainWindowTemplate.h"
#include "programmer/app/WindowClassLibrary.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/RecordingMessageService.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace halden {
namespace {

TEST_F(MainWindowTest, ControlsCarryTheirEnglishLabels) {
    auto dialog = open();
    const std::pair<int, const char*> labels[] = {
        {1049, "MCU Series"},
        {1050, "MCU Part No"},
        {1013, "Load File"},
        {1018, "Save *.QPF"},
        {2, "Exit"},
        {1016, "Update Target"},
        {1017, "Update Programmer"},
        {1014, "Insert ISP-Code"},
        {1052, "Programming Area"},
        {1053, "H/W Option Setting"},
        {1054, "ISP_SIZE"},
        {1055, "Set:"},
        {1056, "IAP_SIZE"},
        {1057, "Set:"},
        {1058, "IAPLB:"},
        {1059, "Binary Code Buffer"},
        {1149, "Auto Reload Code"},
        {1005, "User Define"},
        {1009, "Whole-chip"},
    };
    for (const auto& [id, label] : labels) {
        ASSERT_NE(dialog->control(id), nullptr) << id;
        EXPECT_EQ(labelOf(dialog->control(id)), label) << id;
    }
    EXPECT_TRUE(dialog->control<QAbstractButton>(MainWindowTemplate::kWholeChip)->isChecked());
    EXPECT_FALSE(dialog->control(1014)->isEnabled());
    EXPECT_FALSE(dialog->control(1005)->isEnabled());
    EXPECT_TRUE(dialog->control(1040)->isHidden());
    // RQD-1 is applied: its six rows label the first six boxes.
    const QStringList optionLabels = {
        "LOCK", "SRAM_DIS", "SMEM_DIS", "IWDG_EN", "RST_STOP", "RST_STBY", "", "", "", "", "", ""};
    for (int i = 0; i < MainWindowTemplate::kOptionCount; ++i) {
        auto* box = dialog->control<QCheckBox>(MainWindowTemplate::kFirstOption + i);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), optionLabels[i]);
        EXPECT_EQ(box->isEnabled(), i < 6);
    }
}

TEST_F(MainWindowTest, CaptionCarriesTheLinkLibrarysFirmwareVersion) {
    EXPECT_EQ(open()->windowTitle(), "Halden_Programmer (v1.13.0.0) FW = v1. 5 ");
    ASSERT_EQ(linkLibrary.load(std::string(HALDEN_TEST_LIB_DIR) + "/M3_Tavro-nofw.fixture.so"), 0u);
    EXPECT_EQ(open()->windowTitle(), "Halden_Programmer (v1.13.0.0) FW = v0. 0 ");
}

TEST_F(MainWindowTest, ControlsSitInsideTheWindowAndTheirTextsFit) {
    auto dialog = open();
    const QRect client = dialog->rect();
    for (const auto& control : MainWindowTemplate::make().controls) {
        if (control.hidden || control.kind == DialogTemplate::Kind::Bitmap) {
            continue;
        }
        QWidget* widget = dialog->findChild<QWidget*>(DialogBuilder::objectName(control));
        ASSERT_NE(widget, nullptr) << control.id << " " << control.name;
        EXPECT_TRUE(client.contains(widget->geometry())) << control.id << " " << control.name;
        const QString label = labelOf(widget);
        if (!label.isEmpty() && !qobject_cast<QGroupBox*>(widget)) {
            EXPECT_LE(widget->minimumSizeHint().width(), widget->width())
                << control.id << " " << label.toStdString();
        }
    }
    EXPECT_EQ(dialog->findChild<QWidget*>("1022"), dialog->hexView()->widget());
}

TEST_F(MainWindowTest, DefaultButtonFollowsTheCommandLine) {
    auto withoutPart = open();
    EXPECT_TRUE(withoutPart->control<QPushButton>(MainWindowTemplate::kLoadFile)->isDefault());
    CommandLine::Values values;
    values.partName = u"RQD-1";
    auto withPart = open(values);
    EXPECT_TRUE(withPart->control<QPushButton>(MainWindowTemplate::kUpdateTarget)->isDefault());
    EXPECT_FALSE(withPart->control<QPushButton>(MainWindowTemplate::kLoadFile)->isDefault());
}

TEST_F(MainWindowTest, EscapeIsSwallowedAndExitEndsTheDialog) {
    auto dialog = open();
    dialog->show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_TRUE(dialog->isVisible());

    dialog->control<QPushButton>(MainWindowTemplate::kExit)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    auto closed = open();
    closed->show();
    EXPECT_TRUE(closed->close());
    EXPECT_FALSE(closed->isVisible());
}

TEST_F(MainWindowTest, SystemMenuChecksUpdatesAndShowsAbout) {
    auto dialog = open();
    QStringList entries;
    for (auto* action : dialog->systemMenu()->actions()) {
        if (!action->isSeparator()) {
            entries << action->text();
        }
    }
    EXPECT_EQ(entries, QStringList({"Check update", QString::fromStdU16String(CAboutDlg::kMenuText),
                                    "Language"}));

    settings.writeInt("Settings", "CheckVersion", 0);
    settings.strings["Settings/UpdateServer"] = Unicode::toUtf16(test::refusingUpdateServer());
    dialog->OnSysCommand(CProgrammerDlg::kSysCommandCheckUpdate | 0x3);
    EXPECT_EQ(settings.readInt("Settings", "CheckVersion", -1), 1);

    QString versionLine;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        caption = about->windowTitle();
        versionLine = about->findChild<QLabel*>("1085")->text();
        about->findChild<QPushButton*>("1")->click();
    });
    dialog->OnSysCommand(CProgrammerDlg::kSysCommandAbout);
    EXPECT_EQ(versionLine, "Halden_Programmer (v1.13.0.0)");
    EXPECT_EQ(caption, QString::fromStdU16String(CAboutDlg::kCaption));
}

QStringList itemsOf(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

// Picks an item as the user does, which is what notifies the window.
void choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

TEST_F(MainWindowTest, SeriesListShowsTheListedSeriesAndAppliesTheirFirstPart) {
    auto dialog = open();
    auto* series = dialog->control<QComboBox>(MainWindowTemplate::kSeriesList);
    auto* parts = dialog->control<QComboBox>(MainWindowTemplate::kPartList);
    EXPECT_EQ(itemsOf(series), QStringList({"RQ-Delta Series", "RQ-Epsilon Series"}));
    EXPECT_EQ(itemsOf(parts), QStringList({"RQD-1", "RQD-2", "RQD-3", "RQD-4"}));
    EXPECT_EQ(dialog->partSettings().record().partIndex, 36);

    dialog->control<QLabel>(MainWindowTemplate::kFilePathPane)->setText("old.bin");
    choose(series, "RQ-Epsilon Series");
    EXPECT_EQ(itemsOf(parts), QStringList({"RQE-1", "RQE-2", "RQE-3", "RQE-4", "RQE-5", "RQE-6"}));
    EXPECT_EQ(parts->currentText(), "RQE-1");
    EXPECT_EQ(dialog->partSettings().record().partIndex, 42);
    EXPECT_EQ(dialog->partSettings().record().flashSize, 0x40000u);
    for (const int pane : {MainWindowTemplate::kFilePathPane, MainWindowTemplate::kSizePane,
                           MainWindowTemplate::kChecksumPane}) {
        EXPECT_TRUE(dialog->control<QLabel>(pane)->text().isEmpty()) << pane;
    }
    auto* box = dialog->control<QCheckBox>(MainWindowTemplate::kFirstOption + 2);
    EXPECT_EQ(box->text(), "WDG_SW");
    EXPECT_EQ(box->toolTip(), "Hardware watchdog");
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(dialog->control(MainWindowTemplate::kFirstOption + 5)->isEnabled());
}

TEST_F(MainWindowTest, OptionBoxesBuildTheBytesAndReselectionKeepsThem) {
    auto dialog = open();
    auto* lock = dialog->control<QCheckBox>(MainWindowTemplate::kFirstOption);
    ASSERT_EQ(lock->text(), "LOCK");
    lock->click();
    const auto& bytes = dialog->partSettings().record().optionBytes;
    EXPECT_EQ(bytes[16], 0x83);
    EXPECT_EQ(bytes[124], static_cast<std::uint8_t>(~bytes[112]));

    choose(dialog->control<QComboBox>(MainWindowTemplate::kPartList), "RQD-1");
    EXPECT_TRUE(lock->isChecked());
    EXPECT_EQ(bytes[16], 0x83);

    choose(dialog->control<QComboBox>(MainWindowTemplate::kPartList), "RQD-2");
    EXPECT_FALSE(lock->isChecked());
    EXPECT_EQ(bytes[16], 0x0C);
}

TEST_F(MainWindowTest, StartPartFromTheCommandLineOrTheSavedBodyId) {
    struct Case {
        std::u16string commandLineName;
        int bodyId;
        QString part;
        bool listEnabled;
    };
    const Case cases[] = {
        {u"rqd-3", -1, "RQD-3", false}, {u"RQD", -1, "RQD-2", false}, {u"RQE-1", 39, "RQD-1", true},
        {u"", 39, "RQD-4", true},       {u"", 42, "RQD-1", true},     {u"", -1, "RQD-1", true},
    };
    for (const auto& c : cases) {
        settings.writeInt("Settings", "BodyID", c.bodyId);
        CommandLine::Values values;
        values.partName = c.commandLineName;
        auto dialog = open(values);
        auto* parts = dialog->control<QComboBox>(MainWindowTemplate::kPartList);
        EXPECT_EQ(parts->currentText(), c.part) << c.part.toStdString();
        EXPECT_EQ(parts->isEnabled(), c.listEnabled) << c.part.toStdString();
        EXPECT_EQ(QString::fromStdU16String(dialog->partSettings().record().partName), c.part);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MainWindowTest, ClosingSavesThePartAndTheNextStartSelectsIt) {
    {
        auto dialog = open();
        choose(dialog->control<QComboBox>(MainWindowTemplate::kPartList), "RQD-4");
        dialog->control<QCheckBox>(MainWindowTemplate::kFirstOption)->click();
        dialog->show();
        dialog->close();
    }
    EXPECT_EQ(settings.readInt("Settings", "BodyID", -1), 39);
    const auto por = settings.readBinary("Settings", "pOR");
    ASSERT_TRUE(por);
    ASSERT_EQ(por->size(), 128u);
    EXPECT_EQ((*por)[16], 0x83);

    auto next = open();
    EXPECT_EQ(next->control<QComboBox>(MainWindowTemplate::kPartList)->currentText(), "RQD-4");
    next->control<QPushButton>(MainWindowTemplate::kExit)->click();
    EXPECT_EQ(settings.readInt("Settings", "BodyID", -1), 39);
}

TEST_F(MainWindowTest, BindsTheNineExports) {
    EXPECT_TRUE(open()->linkExports().complete());
}

// Every text of the About box shows whole: a one-line text fits its width, a wrapped one
// its height.
TEST_F(MainWindowTest, AboutBoxTextsShowWhole) {
    auto dialog = open();
    CAboutDlg about(dialog->core().text(), dialog.get());
    about.show();
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 2);
    for (const QLabel* label : labels) {
        if (label->text().isEmpty()) {
            continue;
        }
        EXPECT_TRUE(about.rect().contains(label->geometry())) << label->text().toStdString();
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << label->text().toStdString();
        } else {
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        }
    }
}

// A message box with a short text is still wide enough for its caption in the title bar.
TEST(MessageBoxes, AreWideEnoughForTheirCaption) {
    for (const char16_t* caption : {u"Error occured !", u"Halden_Programmer", u"Pass !"}) {
        const auto box = QtMessageService::makeBox(
            u"ERROR", caption, {MessageButtons::Ok, MessageIcon::Error}, nullptr);
        box->show();
        const QString title = QString::fromStdU16String(caption);
        EXPECT_GE(box->width(), QtMessageService::captionWidth(title)) << title.toStdString();
        EXPECT_GT(QtMessageService::captionWidth(title),
                  QFontMetrics(box->font()).horizontalAdvance(title));
        box->hide();
    }
}

} // namespace
} // namespace halden
