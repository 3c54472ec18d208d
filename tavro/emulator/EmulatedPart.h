#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace halden {

// The chip on the emulated adapter's target socket, as the catalogue describes it.
struct EmulatedPart {
    std::uint16_t index = 0;
    std::uint32_t chipId = 0;
    std::uint32_t flashSize = 0;
    std::uint32_t optionCount = 0;

    // The catalogue's chip ID of a part index; nothing for an index without a part.
    using ChipIdLookup = std::function<std::optional<std::uint32_t>(std::uint16_t)>;

    // The part of the programmer's catalogue with this name (case does not matter).
    static std::optional<EmulatedPart> fromCatalogue(const std::string& name);
    static ChipIdLookup catalogueChipIds();
};

} // namespace halden
