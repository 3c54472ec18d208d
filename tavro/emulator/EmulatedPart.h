#pragma once

#include <cstdint>
#include <string>

namespace halden {

// A chip the emulated adapter's target socket can hold: what the adapter sees of it.
struct EmulatedPart {
    std::string name; // "RQD-1"
    std::uint16_t index = 0;
    std::uint32_t chipId = 0;
    std::uint32_t flashSize = 0;
    std::uint32_t optionCount = 0;
    // The parameter bytes CMD_OPEN_TARGET must carry for the adapter to reach this chip
    // (descriptor keys 24 and 25).
    std::uint8_t parameter0 = 0;
    std::uint8_t parameter1 = 0;
};

} // namespace halden
