#pragma once

#include <cstdint>

namespace halden {

// The adapter's command codes, as byte 0 of the command block carries them.
enum AdapterCommand : std::uint8_t {
    CMD_CLOSE_TARGET = 4,
    CMD_ENTER_BOOTLOADER = 9,
    CMD_ERASE_CHIP = 0x0D,
    CMD_PROGRAM_CODE = 0x19,
    CMD_PROGRAM_OPTIONS = 0x1A,
    CMD_STORE_PROJECT_HEADER = 0x1B,
    CMD_STORE_PROJECT_CODE = 0x1C,
    CMD_READ_TARGET_CODE = 0x1E,
    CMD_READ_STORED_CODE = 0x21,
    CMD_CHECK_TARGET = 0x23,
    CMD_OPEN_TARGET = 0x25,
};

// Parameter bytes 12 and 13 that CMD_ENTER_BOOTLOADER must carry.
constexpr std::uint8_t kEnterBootloaderParameter0 = 0x20;
constexpr std::uint8_t kEnterBootloaderParameter1 = 0x86;

} // namespace halden
