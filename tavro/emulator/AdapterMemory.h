#pragma once

#include <cstdint>
#include <vector>

namespace halden {

// What the emulated adapter keeps across power cycles: the target's flash and option
// bytes, the stored off-line project, the adapter's firmware version and its mode.
struct AdapterMemory {
    // The parts that can change, one bit each, so a change is persisted on its own.
    enum Item : unsigned {
        kFlash = 1,
        kOptions = 2,
        kStoredHeader = 4,
        kStoredCode = 8,
        kFirmware = 16,
        kMode = 32,
    };

    static constexpr std::size_t kMaxOptions = 260;
    static constexpr std::size_t kMaxHeader = 69 + 255;
    static constexpr std::size_t kMaxStoredCode = 0x40000;

    std::vector<std::uint8_t> flash; // empty without a target
    std::vector<std::uint8_t> options;
    std::vector<std::uint8_t> storedHeader;
    std::vector<std::uint8_t> storedCode;
    std::uint16_t firmware = 0; // major << 8 | minor
    // The product ID the adapter last showed up with; 0 until it re-enumerated once.
    std::uint16_t productId = 0;
};

} // namespace halden
