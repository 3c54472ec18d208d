#include "packsetup/WinePath.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace halden {

namespace fs = std::filesystem;

namespace {

bool present(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

} // namespace

bool WinePath::isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool WinePath::equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<fs::path> WinePath::defaultPrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        if (isFolder(fs::path(prefix) / "dosdevices")) {
            return fs::path(prefix);
        }
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        const fs::path wine = fs::path(home) / ".wine";
        if (isFolder(wine / "dosdevices")) {
            return wine;
        }
    }
    return std::nullopt;
}

std::optional<fs::path> WinePath::prefixOf(const fs::path& file) {
    if (file.empty()) {
        return defaultPrefix();
    }
    std::error_code error;
    fs::path folder = fs::absolute(file, error).parent_path();
    while (!error && !folder.empty()) {
        if (isFolder(folder / "dosdevices")) {
            return folder;
        }
        // A prefix made by hand may hold drive_c alone.
        if (equalNoCase(folder.filename().string(), "drive_c")) {
            return folder.parent_path();
        }
        if (folder == folder.root_path()) {
            break;
        }
        folder = folder.parent_path();
    }
    return defaultPrefix();
}

fs::path WinePath::childNoCase(const fs::path& folder, std::string_view name) {
    const fs::path exact = folder / std::string(name);
    if (name.empty() || present(exact)) {
        return exact;
    }
    std::vector<std::string> matches;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (equalNoCase(entry, name)) {
            matches.push_back(entry);
        }
    }
    if (matches.empty()) {
        return exact;
    }
    return folder / *std::min_element(matches.begin(), matches.end());
}

fs::path WinePath::resolveNoCase(const fs::path& base, std::string_view relative) {
    fs::path resolved = base;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find_first_of("\\/", start), relative.size());
        const std::string_view name = relative.substr(start, end - start);
        if (!name.empty() && name != ".") {
            resolved = name == ".." ? resolved.parent_path() : childNoCase(resolved, name);
        }
        start = end + 1;
    }
    return resolved;
}

std::optional<fs::path> WinePath::toHost(std::string_view windowsPath, const fs::path& toolsIni) {
    if (!windowsPath.empty() && windowsPath.front() == '/') {
        return fs::path(std::string(windowsPath));
    }
    if (!hasDriveLetter(windowsPath)) {
        return std::nullopt;
    }
    const auto prefix = prefixOf(toolsIni);
    if (!prefix) {
        return std::nullopt;
    }
    const std::string drive{
        static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0]))), ':'};
    fs::path root = *prefix / "dosdevices" / drive;
    if (!isFolder(root)) {
        // A prefix made by hand may lack the link for its system drive.
        if (drive != "c:" || !isFolder(*prefix / "drive_c")) {
            return std::nullopt;
        }
        root = *prefix / "drive_c";
    }
    // The drive's own folder, not the link to it, so the path reads as the user knows it.
    std::error_code error;
    if (fs::path canonical = fs::canonical(root, error); !error) {
        root = std::move(canonical);
    }
    return resolveNoCase(root, windowsPath.substr(2));
}

} // namespace halden
