#include "common/DesktopOpener.h"
#include "programmer/update/UpdateCheck.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/programmer/update/LoopbackHttpServer.h"
#include "tests/support/RecordingDesktopOpener.h"

#include <QAction>
#include <QMenu>

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

} // namespace
} // namespace halden
