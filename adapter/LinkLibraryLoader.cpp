#include "adapter/LinkLibraryLoader.h"

#include "adapter/LinkLibrary.h"
#include "adapter/LinkLibraryFile.h"
#include "adapter/UpwardFileSearch.h"
#include "common/SystemError.h"

namespace halden {

LinkLibraryLoader::Result
LinkLibraryLoader::load(const std::string& programFolder, LinkLibrary& library,
                        const std::optional<std::filesystem::path>& searchCeiling) {
    Result result;
    result.path = programFolder + "/" + LinkLibrary::kFileName;
    result.code = LinkLibraryFile::CheckLinkLibraryVersion(result.path);
    if (result.code == SystemError::kFileNotFound &&
        UpwardFileSearch::SearchFileUpward(programFolder, LinkLibrary::kFileName, result.path,
                                           searchCeiling) == 1) {
        result.code = LinkLibraryFile::CheckLinkLibraryVersion(result.path);
    }
    if (result.code != 0) {
        return result;
    }
    result.code = library.load(result.path);
    if (result.code != 0) {
        return result;
    }
    // Every later call goes through these nine names: a library without one of them is
    // refused here rather than called through a null entry.
    const auto missing = library.missingExports();
    if (!missing.empty()) {
        result.code = kMissingExport;
        result.missingExport = std::string(missing.front());
        library.unload();
    }
    return result;
}

} // namespace halden
