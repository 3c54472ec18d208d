#include "programmer/update/UpdateCheck.h"
#include "common/DesktopOpener.h"
#include "common/Unicode.h"
#include "programmer/text/KeyedTables.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"
#include "programmer/update/ProductVersion.h"
#include "programmer/update/qt/QtWebDownloader.h"
#include "tests/programmer/update/LoopbackHttpServer.h"
#include "tests/support/ClosedPort.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/RecordingDesktopOpener.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace halden {
namespace {

using Mode = UpdateCheck::Mode;
using Behaviour = test::LoopbackHttpServer::Behaviour;
using namespace std::chrono_literals;

using RecordingOpener = test::RecordingDesktopOpener;

QByteArray versionFile(const std::string& version, const std::string& url = "") {
    std::string text = "[Jadeo_Tavro]\r\nVersion=" + version + "\r\n";
    if (!url.empty()) {
        text += "URL=" + url + "\r\n";
    }
    return QByteArray::fromStdString(text);
}

const std::string kOfferAtStartup = "Your version : 1.13.0.0,\nNew version : 1.13.0.1,\n"
                                    "An update package is available, do you wnat to download it?"
                                    "\n\nYes : download now\nNo : stop check when app start up\n"
                                    "Cancel : check at next time";
const std::string kOfferFromMenu = "Your version : 1.13.0.0,\nNew version : 1.13.0.1,\n"
                                   "An update package is available, do you wnat to download it?"
                                   "\n\nYes : download now\nNo : skip";
const std::string kUpToDate =
    "Your version of Halden_Programmer is up to date.\n\nYour version : 1.13.0.0";

TEST(VersionNumber, ParsesFourNumbersEachCutTo8Bits) {
    struct Case {
        const char* text;
        std::optional<std::string> parsed;
    };
    const Case cases[] = {
        {"1.13.0.1", "1.13.0.1"},
        {"1.256.0.0", "1.0.0.0"},
        {"300.1.2.99999", "44.1.2.159"},
        {"1. 13. 0. 1", "1.13.0.1"},
        {"1.13.0.1 beta", "1.13.0.1"},
        {"1.13.0.1.7", "1.13.0.1"},
        // The system needs four numbers; anything less is no version at all.
        {"1.13.0", std::nullopt},
        {"1.13", std::nullopt},
        {"", std::nullopt},
        {"1..0.0", std::nullopt},
        {"v1.13.0.0", std::nullopt},
        {"-1.13.0.0", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto version = VersionNumber::parse(c.text);
        EXPECT_EQ(version ? std::optional(version->text()) : std::nullopt, c.parsed) << c.text;
    }
    EXPECT_LT(VersionNumber::fromParts(1, 13, 0, 0), *VersionNumber::parse("1.13.0.1"));
    EXPECT_LT(VersionNumber::fromParts(1, 13, 255, 255), VersionNumber::fromParts(1, 14, 0, 0));
    EXPECT_EQ(VersionNumber::fromParts(1, 13, 0, 0).value(), 0x010D0000u);
}

TEST(ProductVersion, IsTheVersionTheAboutBoxShows) {
    KeyedTables tables(ProgrammerResources::directory());
    const UiText text(tables);
    EXPECT_EQ(ProductVersion::number().text(), ProductVersion::text());
    EXPECT_NE(Unicode::toUtf8(text.text(102)).find("(v" + ProductVersion::number().text() + ")"),
              std::string::npos);
}

TEST(UpdateCheck, VersionFileAddressFollowsTheServerSetting) {
    EXPECT_EQ(UpdateCheck::versionFileAddress(""),
              "https://www.corvane.com/files/Download/Tools/tools_version.ini");
    EXPECT_EQ(UpdateCheck::versionFileAddress("http://127.0.0.1:8080"),
              "http://127.0.0.1:8080/files/Download/Tools/tools_version.ini");
    EXPECT_EQ(UpdateCheck::versionFileAddress("http://127.0.0.1:8080/"),
              "http://127.0.0.1:8080/files/Download/Tools/tools_version.ini");
    EXPECT_EQ(UpdateCheck::versionFileAddress("http://mirror/halden/version.ini"),
              "http://mirror/halden/version.ini");
}

// The check against a real server on loopback, own version 1.13.0.0, the temporary
// folder one of the test's own.
class UpdateCheckTest : public testing::Test {
protected:
    void SetUp() override {
        const char* previous = std::getenv("TMPDIR");
        savedTmp_ = previous != nullptr ? std::optional<std::string>(previous) : std::nullopt;
        setenv("TMPDIR", tmp.path().c_str(), 1);
        useServer(server.url());
    }
    void TearDown() override {
        if (savedTmp_) {
            setenv("TMPDIR", savedTmp_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

    void useServer(const std::string& address) {
        settings.strings["Settings/UpdateServer"] = Unicode::toUtf16(address);
    }

    UpdateCheck::Outcome check(Mode mode, std::optional<std::chrono::milliseconds> limit = {}) {
        return check(mode, downloader, limit);
    }
    UpdateCheck::Outcome check(Mode mode, WebDownloader& through,
                               std::optional<std::chrono::milliseconds> limit = {}) {
        UpdateCheck update({through, messages, settings, opener},
                           VersionNumber::fromParts(1, 13, 0, 0));
        update.setFallbackFolder(fallback.path().string());
        if (limit) {
            update.setTimeLimit(*limit);
        }
        return update.run(mode);
    }

    int checkVersion() { return settings.readInt("Settings", "CheckVersion", -1); }
    std::size_t filesIn(const fs::path& folder) const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    test::TempDir tmp;
    test::TempDir fallback;
    test::LoopbackHttpServer server;
    QtWebDownloader downloader;
    test::RecordingMessageService messages;
    test::MemorySettingsStore settings;
    RecordingOpener opener;

private:
    std::optional<std::string> savedTmp_;
};

TEST_F(UpdateCheckTest, StartupOffersANewerVersionAndNoStopsTheStartupCheck) {
    server.setReply({200, versionFile("1.13.0.1", "http://downloads.example/halden")});
    settings.writeInt("Settings", "CheckVersion", 1);
    messages.answers.push_back(MessageAnswer::No);
    const auto outcome = check(Mode::Startup);

    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kOfferAtStartup);
    EXPECT_EQ(messages.messages[0].caption, "Halden_Programmer");
    EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Warning);
    EXPECT_EQ(checkVersion(), 0);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_EQ(outcome.result, 0u);
    EXPECT_EQ(outcome.remote->text(), "1.13.0.1");

    // The version file's path on the server the setting names, asked for by our agent.
    const std::string request = server.lastRequest();
    EXPECT_EQ(request.rfind("GET /files/Download/Tools/tools_version.ini HTTP/1.1\r\n", 0), 0u)
        << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Vesk32Agent"), std::string::npos) << request;
    // Always from the server: no cached copy is asked for.
    EXPECT_NE(request.find("\r\nCache-Control: no-cache"), std::string::npos) << request;
}

TEST_F(UpdateCheckTest, AnswersToTheOfferOpenTheRightPageAndSetCheckVersion) {
    struct Case {
        const char* name;
        Mode mode;
        MessageAnswer answer;
        std::string fileUrl;
        std::vector<std::string> opened;
        int checkVersion; // -1: not written
        std::string text;
    };
    const std::string fileUrl = "https://downloads.example/halden-1.13.0.1";
    const Case cases[] = {
        {"start-up Yes opens the file's URL",
         Mode::Startup,
         MessageAnswer::Yes,
         fileUrl,
         {fileUrl},
         1,
         kOfferAtStartup},
        {"start-up Cancel checks again next time",
         Mode::Startup,
         MessageAnswer::Cancel,
         fileUrl,
         {},
         1,
         kOfferAtStartup},
        {"start-up Yes never hands the desktop a local program",
         Mode::Startup,
         MessageAnswer::Yes,
         "/usr/bin/xterm",
         {},
         1,
         kOfferAtStartup},
        {"start-up Yes without a URL opens nothing",
         Mode::Startup,
         MessageAnswer::Yes,
         "",
         {},
         1,
         kOfferAtStartup},
        {"menu Yes opens the built-in page, not the file's URL",
         Mode::Menu,
         MessageAnswer::Yes,
         fileUrl,
         {UpdateCheck::kDownloadPage},
         1,
         kOfferFromMenu},
        {"menu No does nothing", Mode::Menu, MessageAnswer::No, fileUrl, {}, -1, kOfferFromMenu},
    };
    for (const auto& c : cases) {
        server.setReply({200, versionFile("1.13.0.1", c.fileUrl)});
        settings.ints.clear();
        messages.messages.clear();
        messages.answers = {c.answer};
        opener.opened.clear();
        check(c.mode);
        ASSERT_EQ(messages.messages.size(), 1u) << c.name;
        EXPECT_EQ(messages.messages[0].text, c.text) << c.name;
        EXPECT_EQ(messages.messages[0].style.buttons,
                  c.mode == Mode::Menu ? MessageButtons::YesNo : MessageButtons::YesNoCancel);
        EXPECT_EQ(opener.opened, c.opened) << c.name;
        EXPECT_EQ(checkVersion(), c.checkVersion) << c.name;
    }
}

TEST_F(UpdateCheckTest, SameOrWrappedVersionIsUpToDate) {
    for (const char* remote : {"1.13.0.0", "1.256.0.0", "1.12.255.255"}) {
        server.setReply({200, versionFile(remote, "http://downloads.example/")});
        messages.messages.clear();
        check(Mode::Startup);
        EXPECT_TRUE(messages.messages.empty()) << remote;

        check(Mode::Menu);
        ASSERT_EQ(messages.messages.size(), 1u) << remote;
        EXPECT_EQ(messages.messages[0].text, kUpToDate);
        EXPECT_EQ(messages.messages[0].caption, "Halden_Programmer");
        EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::Ok);
        EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Information);
        EXPECT_TRUE(opener.opened.empty());
        EXPECT_EQ(checkVersion(), -1);
    }
}

TEST_F(UpdateCheckTest, FailuresAreSilentInBothModes) {
    struct Case {
        const char* name;
        test::LoopbackHttpServer::Reply reply;
        std::uint32_t result;
    };
    const QByteArray severalMiB = versionFile("9.9.9.9") + QByteArray(5 * 1024 * 1024, ';');
    const Case cases[] = {
        {"HTTP 404", {404, versionFile("9.9.9.9")}, WebDownloader::kBadServerResponse},
        {"no [Jadeo_Tavro]", {200, "[Other]\r\nVersion=9.9.9.9\r\n"}, 0},
        {"no Version", {200, "[Jadeo_Tavro]\r\nURL=http://x/\r\n"}, 0},
        {"three numbers", {200, versionFile("9.9.9")}, 0},
        {"empty answer", {200, ""}, WebDownloader::kNoData},
        {"several MiB announced", {200, severalMiB}, WebDownloader::kTooLarge},
        {"several MiB unannounced",
         {200, severalMiB, Behaviour::Unsized},
         WebDownloader::kTooLarge},
        {"a server that never answers", {200, "", Behaviour::Silent}, WebDownloader::kTimeout},
        {"a server that trickles", {200, "", Behaviour::Trickle}, WebDownloader::kTimeout},
    };
    for (const Mode mode : {Mode::Startup, Mode::Menu}) {
        for (const auto& c : cases) {
            server.setReply(c.reply);
            const auto outcome = check(mode, 800ms);
            EXPECT_EQ(outcome.result, c.result) << c.name;
            EXPECT_FALSE(outcome.failure.empty()) << c.name;
            EXPECT_FALSE(outcome.remote.has_value()) << c.name;
        }
    }
    useServer(test::refusingUpdateServer());
    for (const Mode mode : {Mode::Startup, Mode::Menu}) {
        EXPECT_EQ(check(mode).result, WebDownloader::kCannotConnect);
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(settings.ints.empty());
    EXPECT_EQ(filesIn(tmp.path()), 0u);
}

TEST_F(UpdateCheckTest, TheVersionFileLivesInTheTemporaryFolderOnlyDuringTheCheck) {
    server.setReply({200, versionFile("1.13.0.0")});
    std::atomic<int> during{-1};
    std::string name;
    server.onRequest([&] {
        during = static_cast<int>(filesIn(tmp.path()));
        for (const auto& entry : fs::directory_iterator(tmp.path())) {
            name = entry.path().filename().string();
        }
    });
    check(Mode::Startup);
    EXPECT_EQ(during, 1);
    EXPECT_EQ(name.rfind("hvc", 0), 0u) << name;
    EXPECT_EQ(fs::path(name).extension(), ".tmp");
    EXPECT_EQ(filesIn(tmp.path()), 0u);

    // Without a temporary folder, the file goes to the program's folder.
    const auto notAFolder = tmp.write("not-a-folder", "");
    setenv("TMPDIR", notAFolder.c_str(), 1);
    server.onRequest([&] { during = static_cast<int>(filesIn(fallback.path())); });
    check(Mode::Startup);
    EXPECT_EQ(during, 1);
    EXPECT_EQ(filesIn(fallback.path()), 0u);
}

} // namespace
} // namespace halden
