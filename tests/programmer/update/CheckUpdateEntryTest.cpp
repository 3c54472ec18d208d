#include "common/DesktopOpener.h"
#include "programmer/update/UpdateCheck.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/programmer/update/LoopbackHttpServer.h"
#include "tests/support/RecordingDesktopOpener.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QThread>
#include <QTimer>

#include <optional>

namespace halden {
namespace {

using RecordingOpener = test::RecordingDesktopOpener;

QAction* checkUpdateEntry(CProgrammerDlg& dialog) {
    for (auto* action : dialog.systemMenu()->actions()) {
        if (action->text() == "Check update") {
            return action;
        }
    }
    return nullptr;
}

TEST_F(MainWindowTest, CheckUpdateOffersTheBuiltInPageAndTurnsTheStartupCheckOn) {
    test::LoopbackHttpServer server;
    server.setReply({200, "[Jadeo_Tavro]\r\nVersion=1.13.0.1\r\nURL=http://elsewhere/\r\n"});
    settings.strings["Settings/UpdateServer"] = Unicode::toUtf16(server.url());
    settings.writeInt("Settings", "CheckVersion", 0);
    RecordingOpener opener;
    auto dialog = open();
    context->desktop = &opener;
    QAction* entry = checkUpdateEntry(*dialog);
    ASSERT_NE(entry, nullptr);

    messages.answers = {MessageAnswer::No};
    entry->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(
        messages.messages[0].text.rfind("Your version : 1.13.0.0,\nNew version : 1.13.0.1,\n", 0),
        0u)
        << messages.messages[0].text;
    EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(opener.opened.empty());
    // Whatever the check did, using the entry turns the start-up check back on.
    EXPECT_EQ(settings.readInt("Settings", "CheckVersion", -1), 1);

    messages.answers = {MessageAnswer::Yes};
    entry->trigger();
    EXPECT_EQ(opener.opened, std::vector<std::string>{UpdateCheck::kDownloadPage});
    EXPECT_EQ(server.requestCount(), 2u);
}

// A server slow to answer: the busy cursor shows while the check waits, and is gone
// when the check is over.
TEST_F(MainWindowTest, CheckUpdateShowsTheBusyCursorWhileItWaits) {
    test::LoopbackHttpServer server;
    server.setReply({200, "[Jadeo_Tavro]\r\nVersion=1.13.0.0\r\n"});
    server.onRequest([] { QThread::msleep(600); });
    settings.strings["Settings/UpdateServer"] = Unicode::toUtf16(server.url());
    auto dialog = open();
    QAction* entry = checkUpdateEntry(*dialog);
    ASSERT_NE(entry, nullptr);

    std::optional<Qt::CursorShape> whileWaiting;
    QTimer::singleShot(200, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        whileWaiting = cursor != nullptr ? cursor->shape() : Qt::ArrowCursor;
    });
    entry->trigger();
    EXPECT_EQ(whileWaiting, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(
        messages.messages[0].text.rfind("Your version of Halden_Programmer is up to date.", 0), 0u)
        << messages.messages[0].text;
}

} // namespace
} // namespace halden
