#include "ProjectSaver.h"

#include "AtomicFile.h"
#include "PartSettings.h"
#include "ProjectFile.h"

namespace halden {

std::string ProjectSaver::save(const std::string& path, std::span<const std::uint8_t> code,
                               PartSettings& part, ProjectRecord& record, const Clock& clock) {
    part.build();
    const auto trailer = ProjectFile::BuildProjectTrailer(record, part.record(), clock);
    std::vector<std::uint8_t> file(code.begin(), code.end());
    file.insert(file.end(), trailer.begin(), trailer.end());
    return AtomicFile::write(path, file);
}

} // namespace halden
