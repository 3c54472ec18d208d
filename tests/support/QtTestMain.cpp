#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// The run's own home folder: what the programs and Qt keep per user (settings, the file
// dialog's state) goes there, never into the real home.
class TemporaryHome {
public:
    TemporaryHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "halden-home-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
        setenv("HOME", path_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path_ / ".config").c_str(), 1);
        setenv("XDG_DATA_HOME", (path_ / ".local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (path_ / ".cache").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
    }
    ~TemporaryHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

private:
    std::filesystem::path path_;
};

} // namespace

// Window tests need one application object for the whole run.
// They run offscreen unless a platform is asked for.
int main(int argc, char** argv) {
    const TemporaryHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int result = 0;
    {
        QApplication application(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
