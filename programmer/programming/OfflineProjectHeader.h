#pragma once

#include "programmer/programming/OfflineSettings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace halden {

struct PartRecord;

// The header of the project stored in the adapter, sent with CMD_STORE_PROJECT_HEADER:
// 69 fixed bytes and the part's option bytes, numbers little-endian, unlisted bytes 0.
//
//   0  u16 checksum of bytes 2 .. H-1     23 u16 code checksum     61 u16 max counter
//   2  u16 H = 69 + M                     36 u8  serial flags      65..67 parameter bytes
//   4  u8  1                              37 u32 start address     68 u8  M
//   5  u16 part index                     41 12  serial string     69 M   option bytes
//   7  u32 chip ID                        53 u32 serial number
//   19 u32 code length
struct OfflineProjectHeader {
    static constexpr std::size_t kFixedSize = 69;

    std::uint16_t partIndex = 0;
    std::uint32_t chipId = 0;
    std::uint32_t codeLength = 0;
    std::uint16_t codeChecksum = 0;
    OfflineSettings settings;
    std::array<std::uint8_t, 3> parameterBytes{};
    std::vector<std::uint8_t> optionBytes;

    // The header of the part's project with this code and these settings.
    static OfflineProjectHeader forPart(const PartRecord& part, const OfflineSettings& settings,
                                        std::uint32_t codeLength, std::uint16_t codeChecksum);
    // The fields of a header's bytes; nothing when the bytes are not one whole header
    // (sizes, H and M disagree, or the checksum does not match).
    static std::optional<OfflineProjectHeader> parse(std::span<const std::uint8_t> bytes);
    // The checksum at bytes 0 and 1: the sum of bytes 2 to the end, modulo 65536.
    static std::uint16_t checksum(std::span<const std::uint8_t> header);

    std::vector<std::uint8_t> bytes() const;
};

} // namespace halden
