#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace halden {

class LinkLibrary;

// Finds the link library beside a program (or, failing that, in the trees above its
// folder), checks its version before loading it, loads it, and refuses one that lacks
// any of the nine entry points.
class LinkLibraryLoader {
public:
    struct Result {
        // 0, LinkLibraryFile::kTooOld, kMissingExport, or a system error code.
        std::uint32_t code = 0;
        std::string path;          // the candidate that was tried last
        std::string missingExport; // with kMissingExport
    };
    static constexpr std::uint32_t kMissingExport = 0xFFFF0001;

    static Result load(const std::string& programFolder, LinkLibrary& library,
                       const std::optional<std::filesystem::path>& searchCeiling = {});
};

} // namespace halden
