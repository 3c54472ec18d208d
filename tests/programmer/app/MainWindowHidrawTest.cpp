// The main window follows an adapter that comes and goes on the real USB path: the
// emulated adapter is a hidraw node of a umockdev testbed, its plug and unplug are
// uevents the window's udev monitor sees, and its firmware check runs through hidapi.
#include "adapter/LinkRecord.h"
#include "programmer/app/MainWindowTemplate.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/hidraw/HidrawBed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <vector>

namespace halden {
namespace {

class MainWindowHidrawTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        unsetenv("TAVRO_EMULATOR");
        std::string error;
        bed = test::HidrawBed::create(
            "target=RQD-1",
            test::HidrawBed::libraryFirmware(std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so"), &error);
        ASSERT_TRUE(bed) << error;
        bed->unplug(0);
    }
    void TearDown() override {
        window.reset();
        bed.reset();
    }

    // Runs the window's events until the pane changed and shows the wanted text (5 s at
    // most); the texts it showed, the one before first, one per change.
    std::vector<QString> paneUntil(const QString& wanted) {
        auto* pane = window->control<QLabel>(MainWindowTemplate::kFilePathPane);
        std::vector<QString> seen{pane->text()};
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (seen.empty() || seen.back() != pane->text()) {
                seen.push_back(pane->text());
            }
        });
        watch.start(1);
        QElapsedTimer elapsed;
        elapsed.start();
        while ((seen.back() != wanted || seen.size() < 2) && elapsed.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return seen;
    }

    std::unique_ptr<test::HidrawBed> bed;
    std::unique_ptr<CProgrammerDlg> window;
    std::vector<std::string> records;
};

TEST_F(MainWindowHidrawTest, StatusPaneFollowsAPlugAndAnUnplug) {
    const std::string file = std::string(HALDEN_SOURCE_DIR) + "/resources/samples/sample.hex";
    window = open({u"RQD-1", std::u16string(file.begin(), file.end()), false, false});
    window->adapterLink().setRecordSink(
        [this](const LinkRecord& record) { records.push_back(record.text()); });
    auto* pane = window->control<QLabel>(MainWindowTemplate::kFilePathPane);
    const QString path = QString::fromStdString(file);
    QElapsedTimer startUp;
    startUp.start();
    while (startUp.elapsed() < 400) { // the start-up probe finds no adapter
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_EQ(pane->text(), path);
    records.clear();

    bed->plug(0);
    const auto plugged = paneUntil(path);
    EXPECT_NE(std::find(plugged.begin(), plugged.end(), QString("Detect if Tavro is exist...")),
              plugged.end())
        << plugged.size();
    EXPECT_EQ(plugged.back(), path);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[0].rfind("open adapter in programmer mode: ok", 0), 0u) << records[0];
    EXPECT_EQ(records[1].rfind("firmware query: ok", 0), 0u) << records[1];

    // The removal handler puts the loaded file's path back into the pane.
    pane->setText({});
    records.clear();
    bed->unplug(0);
    EXPECT_EQ(paneUntil(path), (std::vector<QString>{QString(), path}));
    EXPECT_TRUE(records.empty()) << records.front();
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
} // namespace halden
