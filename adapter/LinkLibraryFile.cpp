#include "adapter/LinkLibraryFile.h"

#include "common/ByteOrder.h"
#include "common/ResourceFile.h"
#include "common/SystemError.h"

namespace halden {

namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedInfoSize = 24;

} // namespace

std::uint32_t LinkLibraryFile::CheckLinkLibraryVersion(const std::string& path) {
    const auto record = ResourceFile::read(path, kVersionType, kVersionId);
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
    const auto record = ResourceFile::read(path, kVersionType, kVersionId);
    if (record.error != 0 || record.bytes.size() < kFixedInfoSize ||
        ByteOrder::readLe32(record.bytes, 0) != kFixedInfoSignature) {
        return std::nullopt;
    }
    return Version{ByteOrder::readLe32(record.bytes, 8), ByteOrder::readLe32(record.bytes, 12)};
}

std::optional<std::vector<std::uint8_t>> LinkLibraryFile::firmwareImage(const std::string& path) {
    auto image = ResourceFile::read(path, kFirmwareType, kFirmwareId);
    if (image.error != 0) {
        return std::nullopt;
    }
    return std::move(image.bytes);
}

} // namespace halden
