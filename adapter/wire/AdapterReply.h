#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace halden {

// A reply as ReadReply hands it over (the input report without its ID byte):
// 0 tag echo, 1 not used, 2-3 status (LE), 4-5 target supply in millivolts (LE).
struct AdapterReply {
    static constexpr std::size_t kSize = 6;

    std::uint8_t tag = 0;
    std::uint16_t status = 0;
    std::uint16_t millivolts = 0;

    // Nothing when fewer than kSize bytes are there.
    static std::optional<AdapterReply> parse(std::span<const std::uint8_t> bytes);
    // Millivolts x 0.001 with the factor held in single precision, as the bounds are
    // compared with it: 1800 mV is not below 1.8 V, 5500 mV is above 5.5 V.
    static double volts(std::uint16_t millivolts);
};

} // namespace halden
