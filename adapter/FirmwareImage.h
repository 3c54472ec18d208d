#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halden {

// The adapter firmware that the link library carries (its "FW" 5002 resource): the bytes
// the boot loader takes, their length L and their 16-bit sum, which the boot loader
// confirms after the download.
class FirmwareImage {
public:
    explicit FirmwareImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // The image in the link library's file; nothing when the file carries none.
    static std::optional<FirmwareImage> fromLinkLibrary(const std::string& libraryPath);

    std::span<const std::uint8_t> bytes() const { return bytes_; }
    std::uint32_t length() const { return static_cast<std::uint32_t>(bytes_.size()); }
    // The sum of all bytes modulo 65536.
    std::uint16_t checksum() const;
    // The firmware version in the image's last two bytes (major << 8 | minor); nothing
    // for an image shorter than two bytes.
    std::optional<std::uint16_t> version() const;

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace halden
