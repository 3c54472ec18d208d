#pragma once

#include <cstdint>

namespace halden {

// The USB identity of a Tavro adapter: one vendor ID, and a product ID for each mode the
// adapter can show up in.
constexpr std::uint16_t kTavroVendorId = 0x2E7B;

enum TavroProduct : std::uint16_t {
    PRODUCT_PROGRAMMER = 0x0325,     // programmer mode, the firmware the programs talk to
    PRODUCT_NEEDS_FIRMWARE = 0x0331, // running firmware that must be replaced
    PRODUCT_RECOVERY = 0x0FFF,       // recovery mode: also needs new firmware
    PRODUCT_BOOT_LOADER = 0x030B,    // the boot loader that takes a firmware image
};

} // namespace halden
