#include "adapter/LinkLibraryFile.h"

#include "common/ByteOrder.h"
#include "common/ElfSectionReader.h"
#include "common/ResourceDirectory.h"
#include "common/SystemError.h"

namespace halden {

namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedInfoSize = 24;

struct ResourceLookup {
    std::uint32_t error = 0;
    std::vector<std::uint8_t> bytes;
};

ResourceLookup readResource(const std::string& path, const char* type, std::uint32_t id) {
    const auto section = ElfSectionReader::read(path, ResourceDirectory::kSectionName);
    switch (section.status) {
    case ElfSectionReader::Status::Ok:
        break;
    case ElfSectionReader::Status::FileNotFound:
        return {SystemError::kFileNotFound, {}};
    case ElfSectionReader::Status::AccessDenied:
        return {SystemError::kAccessDenied, {}};
    case ElfSectionReader::Status::BadFormat:
        return {SystemError::kBadFormat, {}};
    case ElfSectionReader::Status::NoSection:
        return {SystemError::kResourceTypeNotFound, {}};
    }
    const ResourceDirectory directory(section.bytes);
    const auto resource = directory.find(type, id);
    if (!resource) {
        return {SystemError::kResourceTypeNotFound, {}};
    }
    return {0, {resource->begin(), resource->end()}};
}

} // namespace

std::uint32_t LinkLibraryFile::CheckLinkLibraryVersion(const std::string& path) {
    const auto record = readResource(path, kVersionType, kVersionId);
    if (record.error != 0) {
        return record.error;
    }
    const auto found = version(path);
    if (!found) {
        return SystemError::kInvalidData;
    }
    return found->mostSignificant < kMinimumVersion ? kTooOld : 0;
}

std::optional<LinkLibraryFile::Version> LinkLibraryFile::version(const std::string& path) {
    const auto record = readResource(path, kVersionType, kVersionId);
    if (record.error != 0 || record.bytes.size() < kFixedInfoSize ||
        ByteOrder::readLe32(record.bytes, 0) != kFixedInfoSignature) {
        return std::nullopt;
    }
    return Version{ByteOrder::readLe32(record.bytes, 8), ByteOrder::readLe32(record.bytes, 12)};
}

std::optional<std::vector<std::uint8_t>> LinkLibraryFile::firmwareImage(const std::string& path) {
    auto image = readResource(path, kFirmwareType, kFirmwareId);
    if (image.error != 0) {
        return std::nullopt;
    }
    return std::move(image.bytes);
}

} // namespace halden
