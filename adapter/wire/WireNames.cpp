#include "adapter/wire/WireNames.h"

#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterStatus.h"
#include "adapter/wire/TavroFrames.h"
#include "adapter/wire/TavroProduct.h"

#include <cstdio>

namespace halden {

std::string WireNames::hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string WireNames::command(std::uint8_t code) {
    switch (code) {
    case CMD_CLOSE_TARGET:
        return "CMD_CLOSE_TARGET";
    case CMD_ENTER_BOOTLOADER:
        return "CMD_ENTER_BOOTLOADER";
    case CMD_ERASE_CHIP:
        return "CMD_ERASE_CHIP";
    case CMD_PROGRAM_CODE:
        return "CMD_PROGRAM_CODE";
    case CMD_PROGRAM_OPTIONS:
        return "CMD_PROGRAM_OPTIONS";
    case CMD_STORE_PROJECT_HEADER:
        return "CMD_STORE_PROJECT_HEADER";
    case CMD_STORE_PROJECT_CODE:
        return "CMD_STORE_PROJECT_CODE";
    case CMD_READ_TARGET_CODE:
        return "CMD_READ_TARGET_CODE";
    case CMD_READ_STORED_CODE:
        return "CMD_READ_STORED_CODE";
    case CMD_CHECK_TARGET:
        return "CMD_CHECK_TARGET";
    case CMD_OPEN_TARGET:
        return "CMD_OPEN_TARGET";
    case TavroFrames::kInfo:
        return "firmware query";
    default:
        return "command " + hex(code);
    }
}

std::string WireNames::commandWithCode(std::uint8_t code) {
    return command(code) + " (" + hex(code) + ")";
}

std::string WireNames::status(std::uint16_t status) {
    const auto named = [status](const char* name) {
        return std::string(name) + " (" + std::to_string(status) + ")";
    };
    switch (status) {
    case STATUS_DONE:
        return named("done");
    case STATUS_CHECKSUM_MISMATCH:
        return named("checksum mismatch");
    case STATUS_VOLTAGE:
        return named("target supply out of range");
    case STATUS_NO_TARGET:
        return named("no target");
    case STATUS_FAILED:
        return named("command failed");
    case STATUS_WRONG_PART:
        return named("wrong part");
    case STATUS_DONE_TOO:
        return named("done");
    default:
        return "status " + std::to_string(status);
    }
}

std::string WireNames::product(std::uint16_t productId) {
    switch (productId) {
    case PRODUCT_PROGRAMMER:
        return "programmer";
    case PRODUCT_NEEDS_FIRMWARE:
        return "needs-firmware";
    case PRODUCT_RECOVERY:
        return "recovery";
    case PRODUCT_BOOT_LOADER:
        return "boot-loader";
    default:
        return hex(productId, 4);
    }
}

} // namespace halden
