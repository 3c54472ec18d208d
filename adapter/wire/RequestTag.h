#pragma once

#include <cstdint>

namespace halden {

// The one-byte request tag made before every command whose reply is read; the adapter
// echoes it in reply byte 0.
class RequestTag {
public:
    // (T mod 256) x (R mod 256) mod 256 of a millisecond tick count and a random number.
    static std::uint8_t combine(std::uint32_t tickMs, int random);
    // Seeds the C library's generator with the calendar time in seconds, then combines
    // the process's millisecond tick count with one random number.
    static std::uint8_t make();
};

} // namespace halden
