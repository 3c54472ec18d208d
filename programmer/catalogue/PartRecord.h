#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace halden {

// The current part: what the catalogue says of it, its option bytes and the code
// buffer's size and checksum. Read by programming, loading and the project file.
struct PartRecord {
    static constexpr std::uint16_t kNoPart = 0xFFFF;
    // Written just before a forced re-selection: the next apply runs even for the same part.
    static constexpr std::uint16_t kForceApply = 0xFFFE;
    static constexpr std::size_t kOptionImageSize = 260;

    std::uint32_t flashSize = 0;
    std::uint16_t partIndex = kNoPart;
    std::uint8_t optionCount = 0;
    std::array<std::uint8_t, kOptionImageSize> optionBytes{};
    std::uint32_t codeSize = 0;
    std::uint16_t codeChecksum = 0;
    std::uint32_t chipId = 0;
    std::uint32_t chipIdMask = 0;
    // 1 after a part is applied; 0 when a project file supplied the option bytes.
    std::uint8_t defaultsFlag = 0;
    std::u16string partName;
    std::array<std::uint8_t, 3> parameterBytes{};

    // All zeros, then option bytes 0xFF, defaults flag 1 and no part.
    void reset() {
        *this = PartRecord{};
        optionBytes.fill(0xFF);
        defaultsFlag = 1;
        partIndex = kNoPart;
    }
};

} // namespace halden
