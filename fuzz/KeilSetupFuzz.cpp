// A TOOLS.INI from anywhere through the setup tool's Install and Uninstall, held in memory
// so that a run writes no file.
// Install changes at most two lines (the CPU list's and its own driver line), and Uninstall
// at most two, every other line keeping its bytes; a driver key Install reports is one that
// a later scan finds again.
#include "common/DesktopOpener.h"
#include "common/ProfileIni.h"
#include "fuzz/FuzzSupport.h"
#include "packsetup/KeilDriverSetup.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using halden::KeilDriverSetup;

class NoDesktop : public halden::DesktopOpener {
public:
    bool open(const std::string&) override { return true; }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> split;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        split.push_back(text.substr(start, end == std::string::npos ? end : end + 1 - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return split;
}

// How many lines of `before` do not survive in `after`, in order.
std::size_t linesLost(const std::vector<std::string>& before,
                      const std::vector<std::string>& after) {
    std::vector<std::size_t> row(after.size() + 1, 0);
    for (const auto& line : before) {
        std::size_t diagonal = 0;
        for (std::size_t j = 1; j <= after.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = line == after[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return before.size() - row[after.size()];
}

// An empty folder for the whole session, as the program's folder (no driver, no pack
// beside it) and the folder TOOLS.INI is named in, so the path mapping sees a real folder.
class SessionFolder {
public:
    SessionFolder() {
        std::string pattern = (fs::temp_directory_path() / "keil-fuzz-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
    }
    ~SessionFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void checkEdit(const std::string& before, const std::string& after) {
    const auto old = lines(before);
    const auto now = lines(after);
    // A last line without a line end counts as lost when a line is added after it.
    FUZZ_CHECK(linesLost(old, now) <= 2);
    FUZZ_CHECK(now.size() <= old.size() + 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 8192) {
        return 0; // larger files teach nothing new
    }
    const std::string original(reinterpret_cast<const char*>(data), size);
    static const SessionFolder session;
    auto toolsIni = halden::ProfileIni::held((session.path() / "TOOLS.INI").string(), original);

    NoDesktop desktop;
    KeilDriverSetup setup(session.path().string(), desktop);
    const auto installed = setup.Install(toolsIni);
    const std::string afterInstall = *toolsIni.heldBytes();
    if (installed.error != 0) {
        FUZZ_CHECK(afterInstall == original);
        return 0;
    }
    checkEdit(original, afterInstall);
    if (!installed.driverKey.empty()) {
        std::string key;
        std::optional<int> anchor;
        FUZZ_CHECK(KeilDriverSetup::FindDriverKey(toolsIni, key, anchor) == 0);
    }
    setup.Uninstall(toolsIni);
    checkEdit(afterInstall, *toolsIni.heldBytes());
    return 0;
}
