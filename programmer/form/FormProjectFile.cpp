#include "programmer/form/FormProjectFile.h"

#include "common/ByteOrder.h"
#include "programmer/buffer/ProjectFile.h"

#include <algorithm>
#include <string>

namespace halden {

namespace {

constexpr std::size_t kMinTrailer = 57;

std::size_t trailerLength(std::span<const std::uint8_t> file) {
    return file.size() < 2 ? 0 : ByteOrder::readBe16(file, file.size() - 2);
}

} // namespace

FormProjectFile::Check FormProjectFile::check(std::span<const std::uint8_t> file) {
    const std::size_t length = trailerLength(file);
    if (length < kMinTrailer || length > file.size()) {
        return Check::NotProject;
    }
    const auto trailer = file.subspan(file.size() - length);
    if (!std::equal(ProjectRecord::kMagic.begin(), ProjectRecord::kMagic.end(), trailer.begin())) {
        return Check::NotProject;
    }
    const std::uint8_t type = file[file.size() - 5];
    if (type != 0x16 && type != 0x17) {
        return Check::Incompatible;
    }
    if (ByteOrder::readBe16(file, file.size() - 4) != ProjectFile::trailerChecksum(trailer)) {
        return Check::ContentDiffers;
    }
    if (ByteOrder::readBe16(file, file.size() - 9) >= 0x0303) {
        return Check::TooNew;
    }
    return Check::Usable;
}

std::uint16_t FormProjectFile::messageId(Check check) {
    switch (check) {
    case Check::NotProject:
        return 2000;
    case Check::ContentDiffers:
        return 2001;
    case Check::TooNew:
        return 2003;
    case Check::Incompatible:
    case Check::Usable:
        break;
    }
    return 2002;
}

std::optional<ProjectRecord> FormProjectFile::parse(std::span<const std::uint8_t> file) {
    const std::size_t length = trailerLength(file);
    if (length < kMinTrailer || length > file.size()) {
        return std::nullopt;
    }
    ProjectRecord record;
    record.ResetProjectRecord();
    // The fields must end exactly where the file does: N + M + S + 57 = T.
    if (ProjectFile::readTrailerFields(file.last(length), record) != std::size_t{0}) {
        return std::nullopt;
    }
    record.randomKey = ByteOrder::readBe32(record.optionArea, ProjectRecord::kRandomKeyOffset);
    return record;
}

} // namespace halden
