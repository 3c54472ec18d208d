#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace halden {

// How the chip's flash, as read back, stands against what it should hold.
class FlashComparison {
public:
    struct Difference {
        std::uint32_t firstAddress = 0;
        std::uint8_t chipByte = 0;
        std::uint8_t fileByte = 0;
        std::uint32_t count = 0; // how many bytes differ
    };

    // Nothing when the two are equal; bytes that only one side has count as differing,
    // the missing side's byte as 0xFF (what an erased cell reads).
    static std::optional<Difference> compare(std::span<const std::uint8_t> chip,
                                             std::span<const std::uint8_t> file);
    // The first address that does not read 0xFF; nothing when all do.
    static std::optional<std::uint32_t> firstNotBlank(std::span<const std::uint8_t> chip);
};

} // namespace halden
