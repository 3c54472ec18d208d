#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace halden {

// The main window's caption: UI text 102 with the firmware version that the link
// library carries, " FW = v%X.%2X", and one trailing space.
class CaptionText {
public:
    // The version bytes are the image's last two; without an image (or with one
    // shorter than two bytes) both numbers are 0.
    static std::u16string withFirmware(const std::u16string& title,
                                       std::optional<std::span<const std::uint8_t>> image);
};

} // namespace halden
