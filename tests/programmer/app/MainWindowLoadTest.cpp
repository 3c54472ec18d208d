#include "common/qt/QtMessageService.h"
#include "hexview/qt/HexViewControl.h"
#include "programmer/app/AreaDialog.h"
#include "programmer/app/MainWindowTemplate.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MainWindowLoadTest : public MainWindowTest {
protected:
    std::string file(const std::string& name, const Bytes& content) {
        return dir.write(name, std::string(content.begin(), content.end())).string();
    }
    QString pane(CProgrammerDlg& dialog, int id) { return dialog.control<QLabel>(id)->text(); }
    Bytes buffer(CProgrammerDlg& dialog) { return dialog.codeBytes(dialog.hexView()->length()); }

    test::TempDir dir;
};

// Types text into a widget key by key, as a user would.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

TEST_F(MainWindowLoadTest, LoadFileAsksForTheAreaAndShowsSizeAndChecksum) {
    auto dialog = open();
    const std::string path = file("iap.bin", Bytes(0x100, 0x01));
    dialog->setOpenFileChooser([&](const QString&) { return QString::fromStdString(path); });

    QString shownAddress;
    bool editEnabledAtStart = true;
    bool clearTicked = false;
    QTimer::singleShot(0, [&] {
        auto* area = qobject_cast<AreaDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(area->windowTitle(), "Select AP/IAP area");
        auto* edit = area->findChild<QLineEdit*>("1011");
        shownAddress = edit->text();
        editEnabledAtStart = edit->isEnabled();
        clearTicked = area->findChild<QCheckBox*>("1150")->isChecked();
        area->findChild<QRadioButton*>("1044")->click();
        edit->clear();
        type(edit, "16xz C0g0"); // only hex digits get in
        EXPECT_EQ(edit->text(), "16C00");
        area->findChild<QPushButton*>("1")->click();
    });
    dialog->control<QPushButton>(MainWindowTemplate::kLoadFile)->click();

    EXPECT_EQ(shownAddress, "16C00");
    EXPECT_FALSE(editEnabledAtStart);
    EXPECT_TRUE(clearTicked);
    EXPECT_EQ(dialog->hexView()->length(), 0x16D00u);
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kSizePane), "Size = 93440 Bytes");
    // 0x16C00 bytes of 0xFF and 0x100 of 0x01: 0x16A9400 + 0x100, cut to 16 bits.
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kChecksumPane), "Checksum = 0x9500");
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kFilePathPane), QString::fromStdString(path));
    EXPECT_EQ(dialog->partSettings().record().codeSize, 0x16D00u);
    EXPECT_EQ(dialog->partSettings().record().codeChecksum, 0x9500);
    EXPECT_EQ(settings.readString("Settings", "LoadPath", u""),
              QString::fromStdString(path).toStdU16String());
}

TEST_F(MainWindowLoadTest, CancelledAreaOrFileChangesNothing) {
    auto dialog = open();
    dialog->setOpenFileChooser([](const QString&) { return QString(); });
    dialog->OnLoadFile();
    EXPECT_EQ(dialog->hexView()->length(), 0u);
    EXPECT_TRUE(settings.readString("Settings", "LoadPath", u"unset") == u"unset");

    const std::string path = file("a.bin", Bytes(16, 7));
    dialog->setOpenFileChooser([&](const QString&) { return QString::fromStdString(path); });
    QTimer::singleShot(
        0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("2")->click(); });
    dialog->OnLoadFile();
    EXPECT_EQ(dialog->hexView()->length(), 0u);
    EXPECT_TRUE(pane(*dialog, MainWindowTemplate::kFilePathPane).isEmpty());
}

TEST_F(MainWindowLoadTest, ApplyingAPartEmptiesAndResizesTheBuffer) {
    auto dialog = open();
    EXPECT_EQ(dialog->hexView()->capacity(), 0x18000u);
    dialog->hexView()->setData(Bytes(0x20, 1).data(), 0x20);
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kSizePane), "Size = 32 Bytes");

    auto* series = dialog->control<QComboBox>(MainWindowTemplate::kSeriesList);
    series->setCurrentIndex(1);
    emit series->activated(1);
    EXPECT_EQ(dialog->hexView()->capacity(), 0x40000u);
    EXPECT_EQ(dialog->hexView()->length(), 0u);
    for (const int id : {MainWindowTemplate::kFilePathPane, MainWindowTemplate::kSizePane,
                         MainWindowTemplate::kChecksumPane}) {
        EXPECT_TRUE(pane(*dialog, id).isEmpty()) << id;
    }
    // A full buffer of 0xFF sums to 0x3FC0000: the pane shows its low 16 bits.
    dialog->hexView()->setData(Bytes(0x40000, 0xFF).data(), 0x40000);
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kChecksumPane), "Checksum = 0x0000");
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kSizePane), "Size = 262144 Bytes");
}

TEST_F(MainWindowLoadTest, CommandLineFileLoadsAtZeroWithoutDialogs) {
    CommandLine::Values values;
    values.partName = u"RQD-2";
    values.filePath = QString::fromStdString(file("start.bin", Bytes(0x30, 0x42))).toStdU16String();
    auto dialog = open(values);
    EXPECT_EQ(buffer(*dialog), Bytes(0x30, 0x42));
    EXPECT_EQ(pane(*dialog, MainWindowTemplate::kFilePathPane),
              QString::fromStdU16String(values.filePath));

    values.filePath = u"/no/such/file.bin";
    auto missing = open(values);
    EXPECT_EQ(missing->hexView()->length(), 0u);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MainWindowLoadTest, AutoReloadReadsTheFileAgainOnActivation) {
    auto dialog = open();
    const std::string path = file("live.bin", Bytes(0x10, 0x01));
    dialog->setOpenFileChooser([&](const QString&) { return QString::fromStdString(path); });
    QTimer::singleShot(
        0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("1")->click(); });
    dialog->OnLoadFile();
    ASSERT_EQ(buffer(*dialog), Bytes(0x10, 0x01));

    dialog->show();
    file("live.bin", Bytes(0x10, 0x02));
    QApplication::setActiveWindow(dialog.get());
    EXPECT_EQ(buffer(*dialog), Bytes(0x10, 0x01)); // unticked: activation does nothing

    dialog->control<QCheckBox>(MainWindowTemplate::kAutoReload)->setChecked(true);
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(dialog.get());
    EXPECT_EQ(buffer(*dialog), Bytes(0x10, 0x02));
}

// The real message box: Enter at the size warning presses Cancel, so the file is not cut.
TEST_F(MainWindowLoadTest, EnterAtTheSizeWarningKeepsTheBuffer) {
    QtMessageService boxes;
    context = std::make_unique<ProgrammerContext>(
        ProgrammerContext{boxes, settings, &linkLibrary, hexEdit.windowClass(), {}});
    CProgrammerDlg dialog(*context);
    boxes.setOwner(&dialog);
    const std::string path = file("big.bin", Bytes(0x18001, 0x5A));

    QString shownText;
    bool cancelIsDefault = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            QApplication::activeModalWidget()->close();
            return;
        }
        shownText = box->text();
        cancelIsDefault = box->defaultButton() != nullptr &&
                          box->defaultButton() == box->button(QMessageBox::Cancel);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
    });
    EXPECT_EQ(dialog.core().loadFile(path, false), ImageLoader::Outcome::Cancelled);

    EXPECT_EQ(shownText, "File size is too large, file data will be truncated !");
    EXPECT_TRUE(cancelIsDefault);
    EXPECT_EQ(dialog.hexView()->length(), 0u);
    EXPECT_EQ(dialog.partSettings().record().codeSize, 0u);
}

} // namespace
} // namespace halden
