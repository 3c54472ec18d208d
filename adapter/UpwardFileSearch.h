#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace halden {

// Finds a file in the tree under a folder, then under each folder above it,
// each time leaving out the subtree already searched, up to the root of the
// start folder's file system (the drive).
//
// The search never follows symbolic links, stays on the start folder's file system,
// visits every folder at most once, and skips folders it cannot read, so it always ends.
class UpwardFileSearch {
public:
    // 1 when found (the full path written to foundPath), 0 when not. A ceiling stops
    // the climb at that folder as if it were the drive's root.
    static int SearchFileUpward(const std::filesystem::path& startFolder,
                                const std::string& fileName, std::string& foundPath,
                                const std::optional<std::filesystem::path>& ceiling = {});

private:
    UpwardFileSearch(std::string fileName, std::uintmax_t device)
        : fileName_(std::move(fileName)), device_(device) {}

    std::optional<std::filesystem::path> searchTree(const std::filesystem::path& folder,
                                                    const std::filesystem::path* excluded);

    std::string fileName_;
    std::uintmax_t device_;
    std::set<std::pair<std::uintmax_t, std::uintmax_t>> visited_;
};

} // namespace halden
