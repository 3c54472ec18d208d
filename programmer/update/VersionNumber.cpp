#include "programmer/update/VersionNumber.h"

namespace halden {

VersionNumber VersionNumber::fromParts(std::uint32_t major, std::uint32_t minor,
                                       std::uint32_t build, std::uint32_t revision) {
    return VersionNumber((major & 0xFF) << 24 | (minor & 0xFF) << 16 | (build & 0xFF) << 8 |
                         (revision & 0xFF));
}

std::optional<VersionNumber> VersionNumber::parse(std::string_view text) {
    std::uint32_t parts[4] = {};
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') {
                return std::nullopt;
            }
            ++at;
        }
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
            ++at;
        }
        const std::size_t first = at;
        // Only the low 8 bits count, so a number of any length is taken modulo 256.
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            parts[part] = (parts[part] * 10 + static_cast<std::uint32_t>(text[at] - '0')) & 0xFF;
            ++at;
        }
        if (at == first) {
            return std::nullopt;
        }
    }
    return fromParts(parts[0], parts[1], parts[2], parts[3]);
}

std::string VersionNumber::text() const {
    return std::to_string(value_ >> 24) + "." + std::to_string((value_ >> 16) & 0xFF) + "." +
           std::to_string((value_ >> 8) & 0xFF) + "." + std::to_string(value_ & 0xFF);
}

} // namespace halden
