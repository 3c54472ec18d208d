#include "programmer/buffer/ProjectSaver.h"

#include "common/AtomicFile.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/buffer/ProjectFile.h"
#include "programmer/catalogue/PartSettings.h"

namespace halden {

std::string ProjectSaver::save(const std::string& path, std::span<const std::uint8_t> code,
                               PartSettings& part, ProjectRecord& record, const Clock& clock) {
    part.build();
    // The trailer describes the code written, whatever the record last heard of the buffer.
    part.record().codeSize = static_cast<std::uint32_t>(code.size());
    part.record().codeChecksum = CodeChecksum::compute(code);
    const auto trailer = ProjectFile::BuildProjectTrailer(record, part.record(), clock);
    std::vector<std::uint8_t> file(code.begin(), code.end());
    file.insert(file.end(), trailer.begin(), trailer.end());
    return AtomicFile::write(path, file);
}

} // namespace halden
