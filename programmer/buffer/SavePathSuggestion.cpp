#include "programmer/buffer/SavePathSuggestion.h"

#include <unistd.h>

namespace halden {

std::string SavePathSuggestion::firstSuggestion(const std::string& programPath,
                                                const std::string& documentsFolder,
                                                const std::string& applicationName) {
    const auto slash = programPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : programPath.substr(0, slash + 1);
    if (!programPath.empty() && ::access(folder.c_str(), W_OK) == 0) {
        return programPath;
    }
    return documentsFolder + "/" + applicationName + ".qpf";
}

} // namespace halden
