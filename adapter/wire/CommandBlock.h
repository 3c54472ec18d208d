#pragma once

#include <cstdint>
#include <span>

namespace halden {

// Writing commands into the link library's command block `Ice` (IceLayout). Each
// function leaves a block shorter than IceLayout::kSize untouched and returns false.
class CommandBlock {
public:
    // The sum of all data bytes modulo 65536.
    static std::uint16_t dataChecksum(std::span<const std::uint8_t> data);
    // A data command: bytes 12 to 139 cleared, the checksum in 12 (low) and 13 (high),
    // the code in byte 0, address 0 and the length.
    static bool prepareDataCommand(std::span<std::uint8_t> ice, std::uint8_t command,
                                   std::uint32_t length, std::uint16_t checksum);
    static bool setParameters(std::span<std::uint8_t> ice, std::uint8_t first, std::uint8_t second);
    static bool setTag(std::span<std::uint8_t> ice, std::uint8_t tag);

private:
    static bool fits(std::span<std::uint8_t> ice);
};

} // namespace halden
