#include "programmer/app/CaptionText.h"

#include "common/Unicode.h"

#include <cstdio>

namespace halden {

std::u16string CaptionText::withFirmware(const std::u16string& title,
                                         std::optional<std::span<const std::uint8_t>> image) {
    unsigned major = 0;
    unsigned minor = 0;
    if (image && image->size() >= 2) {
        major = (*image)[image->size() - 2];
        minor = (*image)[image->size() - 1];
    }
    char version[32];
    std::snprintf(version, sizeof version, " FW = v%X.%2X", major, minor);
    return title + Unicode::toUtf16(version) + u' ';
}

} // namespace halden
