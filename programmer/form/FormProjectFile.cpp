#include "programmer/form/FormProjectFile.h"

#include "common/ByteOrder.h"

#include <algorithm>
#include <string>

namespace halden {

namespace {

constexpr std::size_t kMinTrailer = 57;

// Reads big-endian fields in order; every read is checked against the bytes' end, and a
// read past it leaves the reader failed and yields zeros.
class BoundedReader {
public:
    BoundedReader(std::span<const std::uint8_t> bytes, std::size_t pos)
        : bytes_(bytes), pos_(pos) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return !failed_ && pos_ == bytes_.size(); }

    std::span<const std::uint8_t> take(std::size_t length) {
        if (failed_ || length > bytes_.size() - pos_) {
            failed_ = true;
            return {};
        }
        const auto piece = bytes_.subspan(pos_, length);
        pos_ += length;
        return piece;
    }
    std::uint8_t byte() {
        const auto piece = take(1);
        return piece.empty() ? 0 : piece[0];
    }
    std::uint16_t word() {
        const auto piece = take(2);
        return piece.empty() ? 0 : ByteOrder::readBe16(piece, 0);
    }
    std::uint32_t dword() {
        const auto piece = take(4);
        return piece.empty() ? 0 : ByteOrder::readBe32(piece, 0);
    }
    std::string text(std::size_t length) {
        const auto piece = take(length);
        return std::string(piece.begin(), piece.end());
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
    bool failed_ = false;
};

std::size_t trailerLength(std::span<const std::uint8_t> file) {
    return file.size() < 2 ? 0 : ByteOrder::readBe16(file, file.size() - 2);
}

std::uint16_t trailerSum(std::span<const std::uint8_t> trailer) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < trailer.size(); ++i) {
        if (i != trailer.size() - 4 && i != trailer.size() - 3) {
            sum += trailer[i];
        }
    }
    return static_cast<std::uint16_t>(sum);
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
    if (ByteOrder::readBe16(file, file.size() - 4) != trailerSum(trailer)) {
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
    BoundedReader in(file, file.size() - length);
    const auto magic = in.take(record.magic.size());
    std::copy(magic.begin(), magic.end(), record.magic.begin());
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
    const auto time = in.take(record.saveTime.size());
    std::copy(time.begin(), time.end(), record.saveTime.begin());
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
