#pragma once

#include <cstddef>
#include <cstdint>

namespace halden {

// Byte offsets inside the link library's command block `Ice`.
struct IceLayout {
    static constexpr std::size_t kCommand = 0;         // command code, byte
    static constexpr std::size_t kAddress = 4;         // u32, always 0 here
    static constexpr std::size_t kLength = 8;          // data length in bytes, u32
    static constexpr std::size_t kParameter0 = 12;     // data checksum, low byte
    static constexpr std::size_t kParameter1 = 13;     // data checksum, high byte
    static constexpr std::size_t kOfflineCapable = 18; // written by the library
    static constexpr std::size_t kReadBack = 255;      // start of the read-back area
    static constexpr std::size_t kTag = 0x4021B;       // request tag byte
    static constexpr std::size_t kSize = 0x40220;      // the block spans at least kTag + 1
};

static_assert(IceLayout::kSize > IceLayout::kTag);

} // namespace halden
