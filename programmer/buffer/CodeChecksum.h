#pragma once

#include <cstdint>
#include <span>

namespace halden {

// The code buffer's checksum: the sum of its byte values, cut to 16 bits where it is
// stored or shown.
class CodeChecksum {
public:
    static std::uint32_t sum(std::span<const std::uint8_t> bytes) {
        std::uint32_t total = 0;
        for (const std::uint8_t byte : bytes) {
            total += byte;
        }
        return total;
    }
    static std::uint16_t compute(std::span<const std::uint8_t> bytes) {
        return static_cast<std::uint16_t>(sum(bytes));
    }
};

} // namespace halden
