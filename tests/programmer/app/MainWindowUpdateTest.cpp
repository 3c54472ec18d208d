#include "hexview/qt/HexViewControl.h"
#include "programmer/app/MainWindowTemplate.h"
#include "programmer/programming/ui/FirmwareWarningDialog.h"
#include "programmer/programming/ui/StatusPaneProgress.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <fstream>

namespace halden {
namespace {

class MainWindowUpdateTest : public MainWindowTest {
protected:
    void TearDown() override { unsetenv("TAVRO_EMULATOR"); }
    void plug(const std::string& settings) {
        setenv("TAVRO_EMULATOR", (settings + ",state=" + (dir / "emu").string()).c_str(), 1);
    }
    std::vector<char> flash() {
        std::ifstream in(dir / "emu/flash.bin", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<std::string> texts() const { return messages.lines(); }

    test::TempDir dir;
};

TEST_F(MainWindowUpdateTest, ChooseLoadAndUpdateTarget) {
    plug("target=RQD-3");
    auto dialog = open();
    auto* parts = dialog->control<QComboBox>(MainWindowTemplate::kPartList);
    parts->setCurrentIndex(2);
    emit parts->activated(2); // RQD-3
    const auto file = dir.write("app.bin", std::string(5000, '\x3C'));
    ASSERT_EQ(dialog->imageLoader().LoadImageFile(file.string(), false),
              ImageLoader::Outcome::Loaded);

    dialog->control<QPushButton>(MainWindowTemplate::kUpdateTarget)->click();
    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Update Target ok !"});
    const auto chip = flash();
    ASSERT_EQ(chip.size(), 0x20000u);
    EXPECT_EQ(std::string(chip.begin(), chip.begin() + 5000), std::string(5000, '\x3C'));
    EXPECT_EQ(dialog->control<QLabel>(MainWindowTemplate::kFilePathPane)->text(),
              QString::fromStdString(file.string()));
    EXPECT_FALSE(dialog->busy());
}

// The path comes back whole after every operation: the progress bar drawn over it ends
// although the same path is put back, and the start-up probe puts it back too.
TEST_F(MainWindowUpdateTest, TheFilePathComesBackAfterEveryOperation) {
    plug("target=RQD-1");
    CommandLine::Values values;
    const auto file = dir.write("start.bin", std::string(3000, '\x21'));
    values.filePath = QString::fromStdString(file.string()).toStdU16String();
    auto dialog = open(values);
    dialog->show();
    auto* pane = dialog->control<QLabel>(MainWindowTemplate::kFilePathPane);
    auto* bar = pane->findChild<StatusPaneProgress*>();
    ASSERT_NE(bar, nullptr);
    const QString path = QString::fromStdString(file.string());

    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit); // past the 200 ms probe
    loop.exec();
    EXPECT_EQ(pane->text(), path);

    dialog->control<QPushButton>(MainWindowTemplate::kUpdateTarget)->click();
    ASSERT_EQ(texts(), std::vector<std::string>{"[Pass !] Update Target ok !"});
    pane->repaint();
    EXPECT_EQ(pane->text(), path);
    EXPECT_FALSE(bar->percent()) << "the progress bar still covers the path";
}

TEST_F(MainWindowUpdateTest, MissingAdapterIsReported) {
    auto dialog = open();
    dialog->control<QPushButton>(MainWindowTemplate::kUpdateTarget)->click();
    EXPECT_EQ(texts(), std::vector<std::string>{"[Error !] Tavro is not exist !"});
}

TEST_F(MainWindowUpdateTest, ForcedArrivalOffersTheUpgradeAndCancelClosesTheWindow) {
    plug("mode=0FFF");
    auto dialog = open();
    dialog->show();
    bool offered = false;
    QTimer::singleShot(0, [&] {
        auto* warning = qobject_cast<FirmwareWarningDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(warning, nullptr);
        offered = true;
        warning->findChild<QPushButton*>("1087")->click(); // Cancel
    });
    dialog->OnDeviceArrival("\\\\?\\hid#vid_2e7b&pid_0fff#1");
    EXPECT_TRUE(offered);
    QApplication::processEvents();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(MainWindowUpdateTest, ProgrammerArrivalWithoutOfflineCapabilityDisablesUpdateProgrammer) {
    plug("offline=0");
    auto dialog = open();
    dialog->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0325#1");
    EXPECT_FALSE(dialog->control(MainWindowTemplate::kUpdateProgrammer)->isEnabled());
    plug("offline=1");
    dialog->OnDeviceArrival("\\\\?\\HID#Vid_2e7b&Pid_0325#2");
    EXPECT_FALSE(dialog->control(MainWindowTemplate::kUpdateProgrammer)->isEnabled());
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
} // namespace halden
