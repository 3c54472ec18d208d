#pragma once

#include <cstdint>
#include <vector>

namespace halden {

// The HID report descriptor the emulated adapter shows the host in each of its modes:
// one vendor-defined application collection without report IDs, whose input, output and
// feature reports have the lengths TavroFrames.h gives (each less the report-ID byte the
// host's buffers add).
class TavroReportDescriptor {
public:
    // The programmer mode's (also that of 0x0331 and 0x0FFF), or the boot loader's.
    static std::vector<std::uint8_t> forProduct(std::uint16_t productId);
};

} // namespace halden
