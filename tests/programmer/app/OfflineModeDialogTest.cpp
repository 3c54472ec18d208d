#include "programmer/app/OfflineModeDialog.h"

#include "programmer/app/MainWindowTemplate.h"
#include "programmer/text/KeyedTables.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <fstream>

namespace halden {
namespace {

using Beeps = std::vector<MessageIcon>;

// Types text into a widget key by key, as the user does.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

void press(QWidget* widget, Qt::Key key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class OfflineModeDialogTest : public testing::Test {
protected:
    static constexpr std::uint32_t kFlashSize = 0x40000;

    OfflineModeDialog& dialog() {
        if (!dialog_) {
            dialog_ = std::make_unique<OfflineModeDialog>(settings, kFlashSize, text, messages,
                                                          u"Halden_Programmer");
            dialog_->show();
        }
        return *dialog_;
    }
    QLineEdit* edit(int id) { return dialog().findChild<QLineEdit*>(QString::number(id)); }
    QWidget* control(int id) { return dialog().findChild<QWidget*>(QString::number(id)); }
    void retype(int id, const QString& text) {
        edit(id)->selectAll();
        press(edit(id), Qt::Key_Delete);
        type(edit(id), text);
    }
    void clickOk() {
        dialog().findChild<QPushButton*>(QString::number(OfflineModeDialog::kOk))->click();
    }
    void tickSerial() {
        dialog().findChild<QCheckBox*>(QString::number(OfflineModeDialog::kEnableSerial))->click();
    }

    KeyedTables tables{ProgrammerResources::directory()};
    UiText text{tables};
    test::RecordingMessageService messages;
    OfflineSettings settings = OfflineSettings::reset(kFlashSize);
    std::unique_ptr<OfflineModeDialog> dialog_;
};

TEST_F(OfflineModeDialogTest, OpensLabelledWithTheSerialControlsDisabled) {
    EXPECT_EQ(dialog().windowTitle(), "Set Max Counter & Serial Number");
    const std::pair<int, const char*> labels[] = {{1135, "Max Counter"},
                                                  {1136, "Enable SerialNumber"},
                                                  {1137, "String"},
                                                  {1138, "Number"},
                                                  {1139, "Auto Increment Number"},
                                                  {1140, "Start Address"},
                                                  {1141, "End Address"},
                                                  {1142, "Ok"},
                                                  {1143, "Cancel"}};
    for (const auto& [id, label] : labels) {
        EXPECT_EQ(control(id)->property("text").toString(), label) << id;
    }
    EXPECT_EQ(edit(1066)->text(), "");
    EXPECT_EQ(edit(1069)->text(), "");
    EXPECT_EQ(edit(1075)->text(), "00000000");
    EXPECT_EQ(edit(1074)->text(), "0003FFF0");
    EXPECT_EQ(edit(1076)->text(), "0003FFFF");
    EXPECT_TRUE(edit(1076)->isReadOnly());
    const int serialControls[] = {1069, 1074, 1076, 1075, 1139};
    for (const int id : serialControls) {
        EXPECT_FALSE(control(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(control(1066)->isEnabled());

    tickSerial();
    for (const int id : serialControls) {
        EXPECT_TRUE(control(id)->isEnabled()) << id;
    }
    EXPECT_EQ(settings.serialFlags, OfflineSettings::kSerialEnabled);
    dialog().findChild<QCheckBox*>("1139")->click();
    EXPECT_EQ(settings.serialFlags,
              OfflineSettings::kSerialEnabled | OfflineSettings::kAutoIncrement);
    tickSerial();
    EXPECT_EQ(settings.serialFlags, OfflineSettings::kAutoIncrement);
    EXPECT_FALSE(control(1074)->isEnabled());
    EXPECT_TRUE(messages.beeps.empty());
}

TEST_F(OfflineModeDialogTest, TypedStartAddressesByTable) {
    struct Case {
        const char* typed;
        const char* shown;
        const char* end;
        std::uint32_t stored;
        std::size_t beeps;
    };
    const Case cases[] = {
        {"00001001", "00001000", "0000100F", 0x1000, 1},
        {"0003FFFC", "0003FFF0", "0003FFFF", 0x3FFF0, 1}, // above the limit 0003FFF0
        {"1001", "1001", "00001010", 0x1001, 0},          // fewer than 8 digits: as typed
        {"00002000", "00002000", "0000200F", 0x2000, 0},
        {"12xz", "12", "00000021", 0x12, 0}, // only hex digits get in
    };
    tickSerial();
    for (const auto& c : cases) {
        messages.beeps.clear();
        retype(1074, c.typed);
        EXPECT_EQ(edit(1074)->text(), c.shown) << c.typed;
        EXPECT_EQ(edit(1076)->text(), c.end) << c.typed;
        EXPECT_EQ(settings.startAddress, c.stored) << c.typed;
        EXPECT_EQ(messages.beeps, Beeps(c.beeps, MessageIcon::Error)) << c.typed;
    }
}

TEST_F(OfflineModeDialogTest, OkRoundsDownAndStaysOpenThenCloses) {
    tickSerial();
    retype(1074, "1003");
    EXPECT_TRUE(messages.beeps.empty());
    clickOk();
    EXPECT_TRUE(dialog().isVisible()) << "the first OK stays open";
    EXPECT_EQ(edit(1074)->text(), "00001000");
    EXPECT_EQ(edit(1076)->text(), "0000100F");
    EXPECT_EQ(messages.beeps, Beeps{MessageIcon::Error});
    clickOk();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialog().result(), QDialog::Accepted);
    EXPECT_EQ(settings.startAddress, 0x1000u);
}

TEST_F(OfflineModeDialogTest, MaxCounterAboveTheLimitIsAnsweredAndReplaced) {
    type(edit(1066), "70000");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Enter an integer between 0 and 65530.");
    EXPECT_EQ(messages.messages[0].caption, "Halden_Programmer");
    EXPECT_EQ(edit(1066)->text(), "65530");
    EXPECT_EQ(settings.maxCounter, 65530);
    EXPECT_EQ(messages.beeps, Beeps{MessageIcon::Error});
    retype(1066, "1234");
    EXPECT_EQ(settings.maxCounter, 1234);
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST_F(OfflineModeDialogTest, TheRangeMessageSpeaksTheWindowsLanguage) {
    text.setLanguageIndex(1);
    type(edit(1066), "70000");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "请输入 0 到 65530 之间的整数。");
    EXPECT_EQ(edit(1066)->text(), "65530");
}

TEST_F(OfflineModeDialogTest, StringAndNumberGoIntoTheSettings) {
    tickSerial();
    type(edit(1069), QString::fromUtf8("Caf\xC3\xA9-0123456789"));
    EXPECT_EQ(edit(1069)->text(), QString::fromUtf8("Caf\xC3\xA9-0123456")) << "12 characters";
    EXPECT_EQ(std::string(settings.serialString.begin(), settings.serialString.end()),
              "Caf\xE9-0123456");
    retype(1075, "c0ffee");
    EXPECT_EQ(settings.serialNumber, 0xC0FFEEu);
    retype(1069, "AB");
    EXPECT_EQ(settings.serialString[2], 0) << "a shorter string ends with a zero byte";
}

TEST_F(OfflineModeDialogTest, CancelAndEscapeAbandon) {
    dialog().findChild<QPushButton*>("1143")->click();
    EXPECT_EQ(dialog().result(), QDialog::Rejected);
    dialog_.reset();
    dialog();
    press(&dialog(), Qt::Key_Escape);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialog().result(), QDialog::Rejected);
}

// Button 1017 in the window: the real dialog, then the project in the emulated adapter.
class UpdateProgrammerWindowTest : public MainWindowTest {
protected:
    void TearDown() override { unsetenv("TAVRO_EMULATOR"); }
    std::string stored(const char* name) {
        std::ifstream in(dir / "emu" / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Loads the image, presses 1017 and accepts the off-line dialog with the max counter
    // typed in; whether the dialog came.
    bool store(CProgrammerDlg& window, const std::string& image, const char* maxCounter) {
        const auto file = dir.write("app.bin", image);
        EXPECT_EQ(window.imageLoader().LoadImageFile(file.string(), false),
                  ImageLoader::Outcome::Loaded);
        // The dialog opens after the firmware check's wait: look for it until it is there.
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* offline = qobject_cast<OfflineModeDialog*>(QApplication::activeModalWidget());
            if (offline == nullptr || seen) {
                return;
            }
            seen = true;
            poll.stop();
            type(offline->findChild<QLineEdit*>("1066"), maxCounter);
            offline->findChild<QPushButton*>("1142")->click();
        });
        poll.start(10);
        window.control<QPushButton>(MainWindowTemplate::kUpdateProgrammer)->click();
        return seen;
    }
    test::TempDir dir;
};

TEST_F(UpdateProgrammerWindowTest, TheButtonRunsTheDialogAndStoresTheProject) {
    setenv("TAVRO_EMULATOR", ("state=" + (dir / "emu").string()).c_str(), 1);
    auto window = open();
    EXPECT_TRUE(store(*window, std::string(700, '\x42'), "250"));
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.back().text, "Update Programmer ok !");
    EXPECT_EQ(stored("stored-code.bin"), std::string(700, '\x42'));
    const std::string header = stored("stored-header.bin");
    ASSERT_GE(header.size(), 69u);
    EXPECT_EQ(static_cast<unsigned char>(header[61]), 250);
    EXPECT_FALSE(window->busy());
}

// The texts the status pane was drawn with: the window's thread is busy with the adapter,
// so a text is seen only when the pane is drawn while it stands there.
struct DrawnTexts : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            texts.push_back(qobject_cast<QLabel*>(watched)->text());
        }
        return false;
    }
    QStringList texts;
};

TEST_F(UpdateProgrammerWindowTest, TheReadBackIsShownInTheStatusPaneWhileItRuns) {
    setenv("TAVRO_EMULATOR", ("state=" + (dir / "emu").string()).c_str(), 1);
    auto window = open();
    window->show();
    DrawnTexts drawn;
    window->control(MainWindowTemplate::kFilePathPane)->installEventFilter(&drawn);
    EXPECT_TRUE(store(*window, std::string(4096, '\x5A'), "1"));
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.messages.back().text, "Update Programmer ok !");
    EXPECT_TRUE(drawn.texts.contains("Compare the code buffer content with the data in Tavro"))
        << drawn.texts.join(" | ").toStdString();
}

} // namespace
} // namespace halden
