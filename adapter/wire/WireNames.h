#pragma once

#include <cstdint>
#include <string>

namespace halden {

// Readable names of the wire format's numbers, for diagnostics: "CMD_OPEN_TARGET (0x25)".
class WireNames {
public:
    // "CMD_OPEN_TARGET"; "command 0x42" for a code without a name.
    static std::string command(std::uint8_t code);
    // "CMD_OPEN_TARGET (0x25)".
    static std::string commandWithCode(std::uint8_t code);
    // "no target (3)"; "status 9" for a status without a name.
    static std::string status(std::uint16_t status);
    // "programmer", "needs-firmware", "recovery", "boot-loader"; "0x1234" otherwise.
    static std::string product(std::uint16_t productId);
    // "0x25"
    static std::string hex(std::uint32_t value, int digits = 2);
};

} // namespace halden
