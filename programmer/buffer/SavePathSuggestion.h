#pragma once

#include <string>

namespace halden {

// The first file name Save project offers when no save path is remembered.
class SavePathSuggestion {
public:
    // The program's own path where its folder takes files from this user; otherwise, as
    // for an installed program, "NAME.qpf" in the user's documents folder.
    static std::string firstSuggestion(const std::string& programPath,
                                       const std::string& documentsFolder,
                                       const std::string& applicationName);
};

} // namespace halden
