#include "tests/support/ClosedPort.h"
#include "tests/support/ProgramEnvironment.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace halden {
namespace {

const fs::path kBin = HALDEN_BIN_DIR;
const fs::path kLibs = HALDEN_TEST_LIB_DIR;

// Halden_Programmer installed into a scratch folder with the libraries a case
// chooses, run as its own process with messages on standard error.
class Installation {
public:
    explicit Installation(const std::string& programFolder = "bin")
        : folder_(dir_ / programFolder) {
        fs::create_directories(folder_);
        fs::create_directories(dir_ / "config");
        fs::create_directories(dir_ / "tmp");
        fs::copy_file(kBin / "Halden_Programmer", program());
        // The start-up update check goes to a loopback port that refuses it.
        fs::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile())
            << "[Settings]\nUpdateServer=" << test::refusingUpdateServer() << "\n";
    }

    fs::path program() const { return folder_ / "Halden_Programmer"; }
    void add(const fs::path& file, const std::string& into = "bin") const {
        fs::create_directories(dir_ / into);
        fs::copy_file(file, dir_ / into / file.filename());
    }
    // A test variant of the link library, under the real library's name.
    void addLinkLibrary(const fs::path& variant) const {
        fs::copy_file(variant, folder_ / "M3_Tavro.so");
    }
    fs::path lockFile() const { return dir_ / "runtime/Corvane Halden Programmer with Tavro.lock"; }
    fs::path settingsFile() const {
        return dir_ / "config/Local AppWizard-Generated Applications/Halden_Programmer.conf";
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = test::programEnvironment(dir_.path());
        for (const auto& [name, value] : environmentChanges) {
            if (value.isNull()) {
                environment.remove(name);
            } else {
                environment.insert(name, value);
            }
        }
        process->setProcessEnvironment(environment);
        process->start(QString::fromStdString(program().string()), arguments);
        process->waitForStarted();
        return process;
    }

    // Runs to its end; the exit code and what it wrote on standard error.
    std::pair<int, std::string> run(const QStringList& arguments = {}) const {
        auto process = start(arguments);
        if (!process->waitForFinished(30000)) {
            process->kill();
            process->waitForFinished();
            return {-1, "did not end"};
        }
        return {process->exitCode(), process->readAllStandardError().toStdString()};
    }

    // Starts it and waits until its main window runs (it holds the instance lock).
    std::unique_ptr<QProcess> startWindow() const { return startWindow(lockFile()); }
    std::unique_ptr<QProcess> startWindow(const fs::path& lock) const {
        auto process = start();
        for (int i = 0; i < 300 && !fs::exists(lock); ++i) {
            QThread::msleep(20);
        }
        QThread::msleep(200);
        return process;
    }

    std::string settings() const {
        std::ifstream in(settingsFile());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test::TempDir dir_;
    // Variables set for the program on top of the test's environment; a null value
    // removes the variable.
    std::map<QString, QString> environmentChanges;

private:
    fs::path folder_;
};

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished();
}

TEST(Startup, EndsWhenALibraryIsMissingOrRefused) {
    struct Case {
        const char* name;
        std::vector<fs::path> libraries;
        std::string message;
    };
    const Case cases[] = {
        {"no HexEdit library",
         {kBin / "M3_Tavro.so"},
         "[Error Code = 0x0000007E] The specified module could not be found.\n"},
        {"link library 1.2.0.0",
         {kBin / "HexEdit.so", kLibs / "M3_Tavro-v1.2.fixture.so"},
         "[Error !] This version of dll is not correspond to the application !\n"},
        {"link library without CheckDevice",
         {kBin / "HexEdit.so", kLibs / "M3_Tavro-incomplete.fixture.so"},
         "does not export \"CheckDevice\""},
    };
    for (const auto& c : cases) {
        Installation installation;
        for (const auto& library : c.libraries) {
            if (library.filename().string().find(".fixture") != std::string::npos) {
                installation.addLinkLibrary(library);
            } else {
                installation.add(library);
            }
        }
        const auto [code, errors] = installation.run();
        EXPECT_EQ(code, 1) << c.name;
        EXPECT_NE(errors.find(c.message), std::string::npos) << c.name << ": " << errors;
        EXPECT_FALSE(fs::exists(installation.lockFile())) << c.name;
    }
}

TEST(Startup, FindsTheLinkLibraryInASiblingFolderAndRunsOnce) {
    Installation installation("app/bin");
    installation.add(kBin / "HexEdit.so", "app/bin");
    installation.add(kBin / "M3_Tavro.so", "app/lib");
    auto first = installation.startWindow();
    ASSERT_EQ(first->state(), QProcess::Running) << first->readAllStandardError().toStdString();
    // First run: "CheckVersion" was absent and is now 1.
    EXPECT_NE(installation.settings().find("CheckVersion=1"), std::string::npos)
        << installation.settings();

    const auto [code, errors] = installation.run();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(errors, "[Error] There is another application running\n");
    EXPECT_EQ(first->state(), QProcess::Running);
    stop(*first);
}

// Two users on one machine, each with a runtime folder of their own, and the temporary
// folder they share: each one's programmer starts beside the other's.
TEST(Startup, TheSingleInstanceIsPerUser) {
    Installation first;
    Installation second;
    for (Installation* installation : {&first, &second}) {
        installation->add(kBin / "HexEdit.so");
        installation->add(kBin / "M3_Tavro.so");
        installation->environmentChanges["TMPDIR"] =
            QString::fromStdString((first.dir_ / "tmp").string());
    }
    auto running = first.startWindow();
    ASSERT_EQ(running->state(), QProcess::Running) << running->readAllStandardError().toStdString();
    ASSERT_TRUE(fs::exists(first.lockFile()));
    auto beside = second.startWindow();
    EXPECT_EQ(beside->state(), QProcess::Running) << beside->readAllStandardError().toStdString();
    EXPECT_TRUE(fs::exists(second.lockFile()));
    stop(*beside);

    // Without a runtime folder, the lock is kept in the user's home.
    Installation homeOnly;
    homeOnly.add(kBin / "HexEdit.so");
    homeOnly.add(kBin / "M3_Tavro.so");
    const fs::path home = homeOnly.dir_ / "home";
    homeOnly.environmentChanges = {{"XDG_RUNTIME_DIR", QString()},
                                   {"HOME", QString::fromStdString(home.string())}};
    const fs::path homeLock =
        home / ".local/state/halden/Corvane Halden Programmer with Tavro.lock";
    auto fromHome = homeOnly.startWindow(homeLock);
    EXPECT_TRUE(fs::exists(homeLock));
    const auto [code, errors] = homeOnly.run();
    EXPECT_EQ(code, 1);
    // After Qt's own note that the runtime folder is not set.
    EXPECT_NE(errors.find("[Error] There is another application running\n"), std::string::npos)
        << errors;
    stop(*fromHome);
    stop(*running);
}

TEST(Startup, CheckVersionZeroStaysZero) {
    Installation installation;
    installation.add(kBin / "HexEdit.so");
    installation.add(kBin / "M3_Tavro.so");
    fs::create_directories(installation.settingsFile().parent_path());
    std::ofstream(installation.settingsFile()) << "[Settings]\nCheckVersion=0\n";
    auto process = installation.startWindow();
    ASSERT_EQ(process->state(), QProcess::Running);
    stop(*process);
    EXPECT_NE(installation.settings().find("CheckVersion=0"), std::string::npos);
}

TEST(Startup, FilePathOf260CharactersEndsTheProgram) {
    Installation installation;
    installation.add(kBin / "HexEdit.so");
    installation.add(kBin / "M3_Tavro.so");
    const QString longName = "/" + QString(259, 'a');
    const auto [code, errors] = installation.run({"RQD-1", longName});
    EXPECT_EQ(code, 1);
    EXPECT_EQ(errors, "[Halden_Programmer] The path of the file is too long !\n");
}

// The setting "Language" picks the table at start-up: the size warning for a start file
// larger than any part's flash comes in the chosen language; English without the setting
// or with a value that has no table.
TEST(Startup, LanguageSettingChoosesTheTextTable) {
    const struct {
        const char* setting;
        const char* warning;
    } cases[] = {
        {"", "[Warning !] File size is too large, file data will be truncated !\n"},
        {"Language=0\n", "[Warning !] File size is too large, file data will be truncated !\n"},
        {"Language=1\n", "[警告！] 文件过大，文件数据将被截断！\n"},
        {"Language=7\n", "[Warning !] File size is too large, file data will be truncated !\n"},
    };
    for (const auto& row : cases) {
        Installation installation;
        installation.add(kBin / "HexEdit.so");
        installation.add(kBin / "M3_Tavro.so");
        std::ofstream(installation.settingsFile()) << "[Settings]\nCheckVersion=0\n" << row.setting;
        const fs::path image = installation.dir_ / "large.bin";
        std::ofstream(image, std::ios::binary) << std::string(1024 * 1024 + 1, '\xFF');
        auto process = installation.start({"RQD-1", QString::fromStdString(image.string())});
        std::string errors;
        for (int i = 0; i < 500 && errors.find('\n') == std::string::npos; ++i) {
            process->waitForReadyRead(20);
            errors += process->readAllStandardError().toStdString();
        }
        stop(*process);
        EXPECT_EQ(errors, row.warning) << row.setting;
    }
}

} // namespace
} // namespace halden
