#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace halden {

class Clock;
class PartSettings;
struct ProjectRecord;

// Save project: the code image, then the trailer built from the project record and the
// current part, written whole or not at all.
class ProjectSaver {
public:
    // Rebuilds the option bytes from the boxes, builds the trailer and writes the file.
    // Empty on success, otherwise what went wrong (an existing file is left as it was).
    static std::string save(const std::string& path, std::span<const std::uint8_t> code,
                            PartSettings& part, ProjectRecord& record, const Clock& clock);
};

} // namespace halden
