#include "tests/programmer/update/LoopbackHttpServer.h"
#include "tests/support/ProgramEnvironment.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace halden {
namespace {

using Behaviour = test::LoopbackHttpServer::Behaviour;

const fs::path kBin = HALDEN_BIN_DIR;

const std::string kOfferAtStartup = "[Halden_Programmer] Your version : 1.13.0.0,\n"
                                    "New version : 1.13.0.1,\n"
                                    "An update package is available, do you wnat to download it?"
                                    "\n\nYes : download now\nNo : stop check when app start up\n"
                                    "Cancel : check at next time\n";

// halden and Halden_Programmer as their own processes with one settings folder, one
// temporary folder and messages on standard error.
class Processes {
public:
    Processes() {
        for (const char* folder : {"config", "tmp", "runtime"}) {
            fs::create_directories(dir_ / folder);
        }
        fs::permissions(dir_ / "runtime", fs::perms::owner_all);
        // Larger than any part's flash, so loading it in the window asks its question.
        dir_.write("big.bin", std::string(4 * 1024 * 1024, '\xFF'));
    }

    fs::path settingsFile() const {
        return dir_ / "config/Local AppWizard-Generated Applications/Halden_Programmer.conf";
    }
    std::string settings() const {
        std::ifstream in(settingsFile());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void addSetting(const std::string& line) const {
        fs::create_directories(settingsFile().parent_path());
        const bool fresh = !fs::exists(settingsFile());
        std::ofstream(settingsFile(), std::ios::app)
            << (fresh ? "[Settings]\n" : "") << line << "\n";
    }

    struct Run {
        int code = -1;
        std::string out;
        std::string err;
    };
    Run halden(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QString::fromStdString((kBin / "halden").string()),
                      QStringList{"update-check"} + arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitCode(), process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    // Starts the programmer with a part and a file too large for it, and waits until its
    // main window, loading the file, asks about the size: proof that start-up got past the
    // update check. Ends the program then.
    bool windowShows(std::chrono::seconds within) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QString::fromStdString((kBin / "Halden_Programmer").string()),
                      {"RQD-1", QString::fromStdString((dir_ / "big.bin").string())});
        QElapsedTimer clock;
        clock.start();
        std::string errors;
        while (errors.find("File size is too large") == std::string::npos &&
               clock.elapsed() < std::chrono::milliseconds(within).count() &&
               process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(200);
            errors += process.readAllStandardError().toStdString();
        }
        process.kill();
        process.waitForFinished();
        return errors.find("File size is too large") != std::string::npos;
    }

private:
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = test::programEnvironment(dir_.path());
        environment.remove("TAVRO_EMULATOR");
        return environment;
    }

    test::TempDir dir_;
};

TEST(UpdateProcess, StartupNoFromTheCommandLineTurnsTheWindowsCheckOff) {
    test::LoopbackHttpServer server;
    server.setReply({200, "[Jadeo_Tavro]\r\nVersion=1.13.0.1\r\nURL=http://downloads/\r\n"});
    Processes processes;
    const auto run = processes.halden(
        {"--startup", "--answer", "no", "--url", QString::fromStdString(server.url())});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, kOfferAtStartup);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(processes.settings().find("CheckVersion=0"), std::string::npos);
    ASSERT_EQ(server.requestCount(), 1u);

    // The window's own start now leaves the server alone.
    processes.addSetting("UpdateServer=" + server.url());
    EXPECT_TRUE(processes.windowShows(std::chrono::seconds(30)));
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST(UpdateProcess, WindowShowsWhenTheServerNeverAnswers) {
    test::LoopbackHttpServer server;
    server.setReply({200, "", Behaviour::Silent});
    Processes processes;
    // First run: "CheckVersion" is absent, so the check runs, into a server that accepts and
    // stays silent; it gives up after its 10 s and the window comes.
    processes.addSetting("UpdateServer=" + server.url());
    EXPECT_TRUE(processes.windowShows(std::chrono::seconds(40)));
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_NE(processes.settings().find("CheckVersion=1"), std::string::npos);
}

TEST(UpdateProcess, CommandLineMenuCheckAnswersPrintsAndReports) {
    test::LoopbackHttpServer server;
    Processes processes;
    const QString url = QString::fromStdString(server.url());

    server.setReply({200, "[Jadeo_Tavro]\r\nVersion=1.13.0.0\r\n"});
    const auto same = processes.halden({"--url", url, "--json"});
    EXPECT_EQ(same.code, 0);
    EXPECT_EQ(same.err, "[Halden_Programmer] Your version of Halden_Programmer is up to date.\n"
                        "\nYour version : 1.13.0.0\n");
    EXPECT_NE(same.out.find("\"remoteVersion\":\"1.13.0.0\""), std::string::npos) << same.out;
    EXPECT_NE(same.out.find("\"checkVersion\":1"), std::string::npos) << same.out;

    // The default answer is the box's default button, Yes: the built-in page.
    server.setReply({200, "[Jadeo_Tavro]\r\nVersion=1.13.0.1\r\nURL=http://downloads/\r\n"});
    const auto newer = processes.halden({"--url", url});
    EXPECT_EQ(newer.code, 0);
    const std::string open =
        "[open] http://www.corvane.com/zh-tw/support/downloadDocument/250/871\n";
    ASSERT_GE(newer.err.size(), open.size());
    EXPECT_EQ(newer.err.substr(newer.err.size() - open.size()), open) << newer.err;
    EXPECT_NE(newer.err.find("No : skip\n"), std::string::npos);

    // At start-up, Yes opens the file's URL.
    const auto yes = processes.halden({"--startup", "--answer", "yes", "--url", url});
    EXPECT_EQ(yes.err, kOfferAtStartup + "[open] http://downloads/\n");

    server.setReply({404, "not here"});
    const auto missing = processes.halden({"--url", url, "--json"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err.rfind("halden: update check failed: cannot download " + server.url(), 0),
              0u)
        << missing.err;
    EXPECT_EQ(missing.err.find('['), std::string::npos);
    EXPECT_NE(missing.out.find("\"result\":12152"), std::string::npos) << missing.out;

    EXPECT_EQ(processes.halden({"--answer", "later"}).code, 2);
    EXPECT_EQ(processes.halden({"--url"}).code, 2);
}

} // namespace
} // namespace halden
