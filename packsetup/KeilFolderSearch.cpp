#include "packsetup/KeilFolderSearch.h"

#include "packsetup/KeilDriverSetup.h"
#include "packsetup/WinePath.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace halden {

namespace fs = std::filesystem;

namespace {

bool isDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::vector<fs::path> subfolders(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (it->is_directory(kind)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Where MDK may have put its TOOLS.INI in one prefix.
std::vector<fs::path> candidates(const fs::path& driveC) {
    std::vector<fs::path> folders = subfolders(driveC);
    for (const char* programs : {"Program Files", "Program Files (x86)"}) {
        const auto more = subfolders(WinePath::childNoCase(driveC, programs));
        folders.insert(folders.end(), more.begin(), more.end());
    }
    for (const auto& user : subfolders(WinePath::childNoCase(driveC, "users"))) {
        for (const char* local :
             {"AppData\\Local\\Keil_v5", "Local Settings\\Application Data\\Keil_v5"}) {
            folders.push_back(WinePath::resolveNoCase(user, local));
        }
    }
    return folders;
}

} // namespace

std::vector<fs::path> KeilFolderSearch::userPrefixes() {
    std::vector<fs::path> prefixes;
    const auto add = [&prefixes](const fs::path& prefix) {
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(prefix, error);
        if (!error && isDirectory(canonical / "drive_c") &&
            std::find(prefixes.begin(), prefixes.end(), canonical) == prefixes.end()) {
            prefixes.push_back(canonical);
        }
    };
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        add(prefix);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        const fs::path base(home);
        add(base / ".wine");
        for (const auto& prefix : subfolders(base / ".local/share/wineprefixes")) {
            add(prefix);
        }
        for (const auto& prefix : subfolders(base / ".local/share/bottles/bottles")) {
            add(prefix);
        }
    }
    return prefixes;
}

std::vector<KeilFolderSearch::Found> KeilFolderSearch::find(const std::vector<fs::path>& prefixes) {
    std::vector<Found> found;
    for (const auto& prefix : prefixes) {
        for (const auto& folder : candidates(prefix / "drive_c")) {
            const fs::path toolsIni = WinePath::childNoCase(folder, KeilDriverSetup::kToolsIniName);
            std::error_code error;
            if (fs::is_regular_file(toolsIni, error)) {
                found.push_back({folder, toolsIni, prefix});
            }
        }
    }
    return found;
}

} // namespace halden
