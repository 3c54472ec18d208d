#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace halden {

// The report lengths a device declares in its HID report descriptor, each counting
// the report-ID byte as the platform's report buffers do (a device without report IDs
// still gets a zero byte 0). The longest report of each type wins.
class HidReportDescriptor {
public:
    struct Lengths {
        std::size_t input = 0;
        std::size_t output = 0;
        std::size_t feature = 0;
        // Whether reports carry an ID byte on the wire (any Report ID item).
        bool numbered = false;
        // The ID of the longest input report (0 without report IDs).
        std::uint32_t inputId = 0;
    };

    // Nothing when an item runs past the end, the global stack is misused, or a report
    // grows beyond what any HID transfer can carry.
    static std::optional<Lengths> reportLengths(std::span<const std::uint8_t> descriptor);
};

} // namespace halden
