#include "adapter/FirmwareImage.h"

#include "adapter/LinkLibraryFile.h"

namespace halden {

std::optional<FirmwareImage> FirmwareImage::fromLinkLibrary(const std::string& libraryPath) {
    auto bytes = LinkLibraryFile::firmwareImage(libraryPath);
    if (!bytes) {
        return std::nullopt;
    }
    return FirmwareImage(std::move(*bytes));
}

std::uint16_t FirmwareImage::checksum() const {
    std::uint32_t sum = 0;
    for (const std::uint8_t byte : bytes_) {
        sum += byte;
    }
    return static_cast<std::uint16_t>(sum);
}

std::optional<std::uint16_t> FirmwareImage::version() const {
    if (bytes_.size() < 2) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>((bytes_[bytes_.size() - 2] << 8) | bytes_.back());
}

} // namespace halden
