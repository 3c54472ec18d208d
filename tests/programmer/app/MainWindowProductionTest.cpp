#include "programmer/app/MainWindowTemplate.h"
#include "programmer/app/ProductionMenu.h"
#include "programmer/programming/ui/StatusPaneProgress.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace halden {
namespace {

// The production checks from the window's context menu, against the emulator.
class MainWindowProductionTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        setenv("TAVRO_EMULATOR", ("target=RQD-3,state=" + (dir / "emu").string()).c_str(), 1);
        dialog = open();
        auto* parts = dialog->control<QComboBox>(MainWindowTemplate::kPartList);
        parts->setCurrentIndex(2);
        emit parts->activated(2); // RQD-3
    }
    void TearDown() override { unsetenv("TAVRO_EMULATOR"); }

    QAction* entry(const char* name) const {
        auto* action = dialog->findChild<QAction*>(name);
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    std::string lastText() const {
        return messages.messages.empty()
                   ? std::string()
                   : "[" + messages.messages.back().caption + "] " + messages.messages.back().text;
    }
    std::string readFile(const std::filesystem::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempDir dir;
    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_F(MainWindowProductionTest, TheChecksStandBesideCheckUpdateAndAbout) {
    QStringList entries;
    for (auto* action : dialog->contextMenu()->actions()) {
        if (!action->isSeparator()) {
            entries << action->text();
        }
    }
    ASSERT_EQ(entries.size(), 6);
    EXPECT_EQ(entries.mid(0, 1), QStringList({"Check update"}));
    EXPECT_EQ(entries.mid(2, 1), QStringList({"Language"}));
    EXPECT_EQ(entries.mid(3), QStringList({"Read Target...", "Verify Target", "Blank Check"}));
}

TEST_F(MainWindowProductionTest, BlankCheckVerifyAndReadThroughTheMenu) {
    entry("blankCheck")->trigger();
    EXPECT_EQ(lastText(), "[Pass !] Blank check ok !");

    const auto file = dir.write("app.bin", std::string(700, '\x6B'));
    ASSERT_EQ(dialog->imageLoader().LoadImageFile(file.string(), false),
              ImageLoader::Outcome::Loaded);
    dialog->control<QPushButton>(MainWindowTemplate::kUpdateTarget)->click();
    ASSERT_EQ(lastText(), "[Pass !] Update Target ok !");
    entry("verifyTarget")->trigger();
    EXPECT_EQ(lastText(), "[Pass !] Verify ok !");
    entry("blankCheck")->trigger();
    EXPECT_EQ(lastText(), "[Error !] Not blank at 0x00000000: 0x6B !");

    std::string flash = readFile(dir / "emu/flash.bin");
    flash[0x2B0] = '\x00';
    dir.write("emu/flash.bin", flash);
    // A new settings text plugs in a new emulated adapter, which loads the changed chip.
    setenv("TAVRO_EMULATOR", ("target=RQD-3,voltage=3301,state=" + (dir / "emu").string()).c_str(),
           1);
    entry("verifyTarget")->trigger();
    EXPECT_EQ(lastText(), "[Error !] Verify failed at 0x000002B0: chip 0x00, file 0x6B; 1 byte "
                          "differs !");

    const auto out = dir / "read.bin";
    dialog->production().setSaveChooser([&] { return QString::fromStdString(out.string()); });
    entry("readTarget")->trigger();
    EXPECT_EQ(lastText(), "[Pass !] Read Target ok !");
    EXPECT_TRUE(readFile(out) == flash);
    // The path is back in the status pane, and the bar is gone.
    EXPECT_EQ(dialog->control<QLabel>(MainWindowTemplate::kFilePathPane)->text(),
              QString::fromStdString(file.string()));
    EXPECT_FALSE(dialog->busy());
}

TEST_F(MainWindowProductionTest, TheTraceLogSettingLogsEveryWindowOperation) {
    const auto log = dir / "trace.jsonl";
    settings.strings["Settings/TraceLog"] = log.u16string();
    entry("blankCheck")->trigger();
    dialog->control<QPushButton>(MainWindowTemplate::kUpdateTarget)->click();
    entry("verifyTarget")->trigger();
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("\"operation\":\"blank-check\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"operation\":\"program\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"message\":\"Update Target ok !\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\"result\":\"ok\""), std::string::npos);
    EXPECT_NE(lines[2].find("\"part\":\"RQD-3\""), std::string::npos);

    // A log that cannot be opened stops the operation before the adapter is touched.
    settings.strings["Settings/TraceLog"] = (dir / "no/such/trace.jsonl").u16string();
    messages.messages.clear();
    std::filesystem::remove_all(dir / "emu");
    entry("blankCheck")->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text.rfind("Cannot open the trace log", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "emu"));
}

} // namespace
} // namespace halden
