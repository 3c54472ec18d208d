#include "common/ElfSectionReader.h"

#include "common/ByteOrder.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace halden {

namespace {

constexpr std::size_t kElfHeaderSize = 64;
constexpr std::size_t kSectionHeaderSize = 64;

bool fits(std::uint64_t offset, std::uint64_t length, std::size_t total) {
    return offset <= total && length <= total - offset;
}

} // namespace

ElfSectionReader::Result ElfSectionReader::read(const std::string& path,
                                                std::string_view sectionName) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return {Status::FileNotFound, {}};
    }
    if (!std::filesystem::is_regular_file(status)) {
        return {Status::BadFormat, {}};
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) {
        return {Status::BadFormat, {}};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {errno == EACCES ? Status::AccessDenied : Status::FileNotFound, {}};
    }
    std::vector<std::uint8_t> file(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (in.gcount() != static_cast<std::streamsize>(file.size())) {
        return {Status::BadFormat, {}};
    }
    return parse(file, sectionName);
}

ElfSectionReader::Result ElfSectionReader::parse(const std::vector<std::uint8_t>& file,
                                                 std::string_view sectionName) {
    const std::span<const std::uint8_t> bytes(file);
    const bool isElf64Le = bytes.size() >= kElfHeaderSize && bytes[0] == 0x7F && bytes[1] == 'E' &&
                           bytes[2] == 'L' && bytes[3] == 'F' && bytes[4] == 2 && bytes[5] == 1;
    if (!isElf64Le) {
        return {Status::BadFormat, {}};
    }
    const std::uint64_t tableOffset = ByteOrder::readLe64(bytes, 0x28);
    const std::uint16_t entrySize = ByteOrder::readLe16(bytes, 0x3A);
    const std::uint16_t count = ByteOrder::readLe16(bytes, 0x3C);
    const std::uint16_t namesIndex = ByteOrder::readLe16(bytes, 0x3E);
    if (entrySize < kSectionHeaderSize || namesIndex >= count ||
        !fits(tableOffset, std::uint64_t{entrySize} * count, bytes.size())) {
        return {Status::BadFormat, {}};
    }
    auto header = [&](std::size_t index) { return tableOffset + index * entrySize; };
    const std::uint64_t namesOffset = ByteOrder::readLe64(bytes, header(namesIndex) + 0x18);
    const std::uint64_t namesSize = ByteOrder::readLe64(bytes, header(namesIndex) + 0x20);
    if (!fits(namesOffset, namesSize, bytes.size())) {
        return {Status::BadFormat, {}};
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t nameOffset = ByteOrder::readLe32(bytes, header(i));
        if (!fits(nameOffset, sectionName.size() + 1, namesSize)) {
            continue;
        }
        const auto* name = reinterpret_cast<const char*>(file.data() + namesOffset + nameOffset);
        if (std::string_view(name, sectionName.size()) != sectionName ||
            name[sectionName.size()] != '\0') {
            continue;
        }
        const std::uint64_t offset = ByteOrder::readLe64(bytes, header(i) + 0x18);
        const std::uint64_t size = ByteOrder::readLe64(bytes, header(i) + 0x20);
        if (!fits(offset, size, bytes.size())) {
            return {Status::BadFormat, {}};
        }
        return {Status::Ok,
                {file.begin() + static_cast<std::ptrdiff_t>(offset),
                 file.begin() + static_cast<std::ptrdiff_t>(offset + size)}};
    }
    return {Status::NoSection, {}};
}

} // namespace halden
