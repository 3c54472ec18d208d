#include "programmer/form/FormProjectFile.h"

#include "common/BigEndianReader.h"
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
    BigEndianReader in(file, file.size() - length);
    in.bytes(record.magic);
    record.codeFileNameLength = in.byte();
    record.codeFileName = in.text(record.codeFileNameLength);
    record.codeSize = in.dword();
    record.codeChecksum = in.word();
    record.reserved1 = in.dword();
    record.reserved2 = in.word();
    record.partIndex = in.word();
    record.reserved3 = in.byte();
    record.optionAreaLength = in.byte();
    const auto area = in.take(record.optionAreaLength);
    std::copy_n(area.begin(), std::min(area.size(), record.optionArea.size()),
                record.optionArea.begin());
    record.randomKey = ByteOrder::readBe32(record.optionArea, ProjectRecord::kRandomKeyOffset);
    record.reservedAfterOptions1 = in.byte();
    record.reservedAfterOptions2 = in.byte();
    record.reservedWord1 = in.word();
    record.reservedWord2 = in.word();
    record.ispFileNameLength = in.byte();
    record.ispFileName = in.text(record.ispFileNameLength);
    record.atpgKey = in.word();
    in.bytes(record.saveTime);
    record.version = in.word();
    record.reservedBeforeType = in.word();
    record.type = in.byte();
    record.trailerChecksum = in.word();
    record.trailerLength = in.word();
    // The fields must end exactly where the file does: N + M + S + 57 = T.
    if (!in.atEnd()) {
        return std::nullopt;
    }
    return record;
}

} // namespace halden
