#include "adapter/UpwardFileSearch.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace halden {

namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct Identity {
    std::uintmax_t device = 0;
    std::uintmax_t inode = 0;
};

std::optional<Identity> identify(const fs::path& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return Identity{static_cast<std::uintmax_t>(info.st_dev),
                    static_cast<std::uintmax_t>(info.st_ino)};
}

} // namespace

int UpwardFileSearch::SearchFileUpward(const fs::path& startFolder, const std::string& fileName,
                                       std::string& foundPath,
                                       const std::optional<fs::path>& ceiling) {
    std::error_code error;
    fs::path folder = fs::absolute(startFolder, error).lexically_normal();
    if (!folder.empty() && !folder.has_filename()) {
        folder = folder.parent_path(); // "/a/b/" -> "/a/b"
    }
    const auto start = identify(folder);
    if (error || !start || !fs::is_directory(fs::symlink_status(folder, error))) {
        return 0;
    }
    const fs::path top = ceiling ? fs::absolute(*ceiling, error).lexically_normal() : fs::path{};
    UpwardFileSearch search(fileName, start->device);
    std::optional<fs::path> searched;
    for (;;) {
        if (auto hit = search.searchTree(folder, searched ? &*searched : nullptr)) {
            foundPath = hit->string();
            return 1;
        }
        const fs::path parent = folder.parent_path();
        const auto parentIdentity = identify(parent);
        const bool atTop = parent == folder || folder == top || !parentIdentity ||
                           parentIdentity->device != start->device;
        if (atTop) {
            return 0;
        }
        searched = folder;
        folder = parent;
    }
}

std::optional<fs::path> UpwardFileSearch::searchTree(const fs::path& folder,
                                                     const fs::path* excluded) {
    const auto identity = identify(folder);
    if (!identity || identity->device != device_ ||
        !visited_.insert({identity->device, identity->inode}).second) {
        return std::nullopt;
    }
    std::error_code error;
    fs::directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        const auto status = entry.symlink_status(error);
        if (error || fs::is_symlink(status)) {
            error.clear();
            continue;
        }
        if (fs::is_directory(status)) {
            // The subtree that the previous round searched is left out.
            if (excluded && equalsIgnoringCase(entry.path().string(), excluded->string())) {
                continue;
            }
            if (auto hit = searchTree(entry.path(), excluded)) {
                return hit;
            }
        } else if (equalsIgnoringCase(entry.path().filename().string(), fileName_)) {
            return entry.path();
        }
    }
    return std::nullopt;
}

} // namespace halden
