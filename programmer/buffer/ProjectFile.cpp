#include "programmer/buffer/ProjectFile.h"

#include "common/BigEndianReader.h"
#include "common/ByteOrder.h"
#include "common/Clock.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/catalogue/PartRecord.h"

#include <algorithm>
#include <cstdlib>

namespace halden {

namespace {

// Exactly `length` bytes of the text, so the trailer always matches its length fields.
void appendText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t length) {
    const std::size_t copied = std::min(length, text.size());
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(copied));
    out.insert(out.end(), length - copied, 0);
}

} // namespace

void ProjectFile::fillOptionArea(ProjectRecord& record, std::span<const std::uint8_t> optionBytes) {
    auto& area = record.optionArea;
    area.fill(0xFF);
    std::copy_n(optionBytes.begin(), std::min(optionBytes.size(), area.size()), area.begin());
    std::copy(record.reservedBlock.begin(), record.reservedBlock.end(),
              area.begin() + ProjectRecord::kReservedBlockOffset);
    for (int i = 0; i < 4; ++i) {
        area[ProjectRecord::kRandomKeyOffset + i] =
            static_cast<std::uint8_t>(record.randomKey >> (24 - 8 * i));
    }
    area[ProjectRecord::kReservedByteOffset] = record.reservedByte;
}

std::uint16_t ProjectFile::trailerChecksum(std::span<const std::uint8_t> trailer) {
    const std::size_t checksumAt = trailer.size() - 4;
    std::uint32_t sum = CodeChecksum::sum(trailer);
    sum -= trailer[checksumAt] + trailer[checksumAt + 1];
    return static_cast<std::uint16_t>(sum);
}

std::vector<std::uint8_t> ProjectFile::BuildProjectTrailer(ProjectRecord& record,
                                                           const PartRecord& part,
                                                           const Clock& clock) {
    record.partIndex = part.partIndex;
    record.codeSize = part.codeSize;
    record.codeChecksum = part.codeChecksum;
    record.reservedWord1 = 0;
    record.reservedWord2 = 0;
    record.trailerLength =
        static_cast<std::uint16_t>(record.codeFileNameLength + record.optionAreaLength +
                                   record.ispFileNameLength + kFixedTrailerBytes);

    const Clock::LocalTime now = clock.localTime();
    record.saveTime = {static_cast<std::uint8_t>((now.year & 0xFF) + 48),
                       static_cast<std::uint8_t>(now.month),
                       static_cast<std::uint8_t>(now.day),
                       static_cast<std::uint8_t>(now.hour),
                       static_cast<std::uint8_t>(now.minute),
                       static_cast<std::uint8_t>(now.second)};
    std::srand(static_cast<unsigned>(clock.calendarSeconds()));
    record.atpgKey =
        static_cast<std::uint16_t>(clock.milliseconds() * static_cast<std::uint32_t>(std::rand()));
    record.trailerChecksum = 0;
    record.randomKey = clock.milliseconds() * static_cast<std::uint32_t>(std::rand());

    std::vector<std::uint8_t> out(record.magic.begin(), record.magic.end());
    out.push_back(record.codeFileNameLength);
    appendText(out, record.codeFileName, record.codeFileNameLength);
    ByteOrder::appendBe32(out, record.codeSize);
    ByteOrder::appendBe16(out, record.codeChecksum);
    ByteOrder::appendBe32(out, 0);
    ByteOrder::appendBe16(out, 0);
    ByteOrder::appendBe16(out, record.partIndex);
    out.push_back(0);
    out.push_back(record.optionAreaLength);
    fillOptionArea(record,
                   std::span(part.optionBytes)
                       .first(std::min<std::size_t>(part.optionCount, part.optionBytes.size())));
    out.insert(out.end(), record.optionArea.begin(),
               record.optionArea.begin() + record.optionAreaLength);
    out.push_back(record.reservedAfterOptions1);
    out.push_back(record.reservedAfterOptions2);
    ByteOrder::appendBe16(out, 0);
    ByteOrder::appendBe16(out, 0);
    out.push_back(record.ispFileNameLength);
    appendText(out, record.ispFileName, record.ispFileNameLength);
    ByteOrder::appendBe16(out, record.atpgKey);
    out.insert(out.end(), record.saveTime.begin(), record.saveTime.end());
    record.version = ProjectRecord::kVersion;
    record.type = ProjectRecord::kType;
    ByteOrder::appendBe16(out, record.version);
    ByteOrder::appendBe16(out, record.reservedBeforeType);
    out.push_back(record.type);
    ByteOrder::appendBe16(out, 0);
    ByteOrder::appendBe16(out, record.trailerLength);
    record.trailerChecksum = trailerChecksum(out);
    out[out.size() - 4] = static_cast<std::uint8_t>(record.trailerChecksum >> 8);
    out[out.size() - 3] = static_cast<std::uint8_t>(record.trailerChecksum);
    return out;
}

std::optional<ProjectFile::Layout> ProjectFile::locate(std::span<const std::uint8_t> file) {
    if (file.size() < kFixedTrailerBytes) {
        return std::nullopt;
    }
    Layout layout;
    layout.trailerLength = ByteOrder::readBe16(file, file.size() - 2);
    if (layout.trailerLength < kFixedTrailerBytes || layout.trailerLength > file.size()) {
        return std::nullopt;
    }
    layout.trailerStart = file.size() - layout.trailerLength;
    const auto trailer = file.subspan(layout.trailerStart);
    // Each length is read only once the fields before it are known to fit.
    layout.codeNameLength = trailer[16];
    if (layout.optionLengthOffset() >= trailer.size()) {
        return std::nullopt;
    }
    layout.optionAreaLength = trailer[layout.optionLengthOffset()];
    if (layout.optionAreaLength > ProjectRecord::kOptionAreaSize ||
        layout.ispLengthOffset() >= trailer.size()) {
        return std::nullopt;
    }
    layout.ispNameLength = trailer[layout.ispLengthOffset()];
    // The fields read from the start and those read from the end must not overlap; a
    // longer trailer leaves unread bytes between the save time and the format version.
    if (std::size_t{layout.codeNameLength} + layout.optionAreaLength + layout.ispNameLength +
            kFixedTrailerBytes >
        layout.trailerLength) {
        return std::nullopt;
    }
    const std::uint32_t codeSize = ByteOrder::readBe32(trailer, 17u + layout.codeNameLength);
    if (codeSize > layout.trailerStart) {
        return std::nullopt;
    }
    return layout;
}

std::uint8_t ProjectFile::CheckProjectFile(std::span<const std::uint8_t> file) {
    const auto layout = locate(file);
    if (!layout) {
        return 0;
    }
    const auto trailer = file.subspan(layout->trailerStart);
    const std::uint8_t type = file[file.size() - 5];
    const std::uint16_t storedChecksum = ByteOrder::readBe16(file, file.size() - 4);
    const std::size_t codeAt = 17u + layout->codeNameLength;
    const std::uint32_t codeSize = ByteOrder::readBe32(trailer, codeAt);
    const std::uint16_t codeChecksum = ByteOrder::readBe16(trailer, codeAt + 4);
    const bool valid = (type == 0x16 || type == 0x17) &&
                       storedChecksum == trailerChecksum(trailer) &&
                       codeChecksum == CodeChecksum::compute(file.first(codeSize));
    return valid ? type : 0;
}

std::optional<std::size_t> ProjectFile::readTrailerFields(std::span<const std::uint8_t> trailer,
                                                          ProjectRecord& record) {
    if (trailer.size() < kEndFieldBytes) {
        return std::nullopt;
    }
    BigEndianReader in(trailer.first(trailer.size() - kEndFieldBytes), 0);
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
    record.reservedAfterOptions1 = in.byte();
    record.reservedAfterOptions2 = in.byte();
    record.reservedWord1 = in.word();
    record.reservedWord2 = in.word();
    record.ispFileNameLength = in.byte();
    record.ispFileName = in.text(record.ispFileNameLength);
    record.atpgKey = in.word();
    in.bytes(record.saveTime);
    if (in.failed()) {
        return std::nullopt;
    }
    // The last fields are found from the trailer's end.
    BigEndianReader end(trailer, trailer.size() - kEndFieldBytes);
    record.version = end.word();
    record.reservedBeforeType = end.word();
    record.type = end.byte();
    record.trailerChecksum = end.word();
    record.trailerLength = end.word();
    return trailer.size() - (std::size_t{record.codeFileNameLength} + record.optionAreaLength +
                             record.ispFileNameLength + kFixedTrailerBytes);
}

void ProjectFile::parseTrailer(std::span<const std::uint8_t> file, const Layout& layout,
                               ProjectRecord& record) {
    readTrailerFields(file.subspan(layout.trailerStart), record);
    readAreaFields(record);
}

// The fields kept inside the option area, as far as the area reaches: a shorter area
// leaves the rest at the record's values.
void ProjectFile::readAreaFields(ProjectRecord& record) {
    const std::size_t length = record.optionAreaLength;
    const auto& area = record.optionArea;
    for (std::size_t i = 0; i < ProjectRecord::kReservedBlockSize; ++i) {
        if (ProjectRecord::kReservedBlockOffset + i < length) {
            record.reservedBlock[i] = area[ProjectRecord::kReservedBlockOffset + i];
        }
    }
    if (ProjectRecord::kRandomKeyOffset + 4 <= length) {
        record.randomKey = ByteOrder::readBe32(area, ProjectRecord::kRandomKeyOffset);
    }
    if (ProjectRecord::kReservedByteOffset < length) {
        record.reservedByte = area[ProjectRecord::kReservedByteOffset];
    }
}

} // namespace halden
