#pragma once

#include "adapter/wire/TavroProduct.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace halden {

// The reports between the link library and a Tavro adapter, as the emulator answers
// them. Byte 0 of every report is its report ID.
//
// Programmer mode (product 0x0325; 0x0331 and 0x0FFF have the same report lengths):
//   feature 129 bytes, input 65 bytes, output 65 bytes.
//
// Command frame, an output report (ICE_Write, ICE_Send_Command, ICE_Read_Data and the
// library's firmware query all send one):
//   0 report ID 0x0C; 1 kind 0x01; 2 command code; 3 request tag;
//   4-7 address (LE); 8-11 data length (LE); 12, 13 parameter bytes; the rest 0.
// Switch frame, an output report: 0 report ID 0x0C; 1 0x44; the rest 0. Any adapter that
//   is not in its boot loader leaves for it (product 0x030B).
//
// Reply, an input report (report ID 0): 1 tag echo; 2 not used; 3-4 status (LE);
//   5-6 target supply in millivolts (LE); for kInfo also 7, 8 the firmware version
//   (major, minor) and 9 the off-line capability (0 or 1).
//   The adapter answers every command with one reply except CMD_CLOSE_TARGET and
//   CMD_ENTER_BOOTLOADER. A data command whose length the adapter cannot take is
//   answered at once with status 4 and its data phase is refused.
//
// Data phase of CMD_PROGRAM_CODE, CMD_PROGRAM_OPTIONS, CMD_STORE_PROJECT_HEADER and
//   CMD_STORE_PROJECT_CODE: ceil(length / 128) feature reports of 129 bytes, ID 0, 128 data
//   bytes each in bytes 1-128, zeros after the data in the last one. After the last one
//   the adapter checks the sum of the data against the parameter bytes (status 1 when
//   they differ), executes and replies. A report of another length or ID, or with
//   non-zero bytes after the data, is answered at once with status 4 and ends the data
//   phase. A feature report outside a data phase is refused; a new command frame abandons
//   a data phase.
//
// CMD_OPEN_TARGET's parameter bytes are the part's own (its descriptor's keys 24 and 25);
//   with any others the target does not answer (status 3).
//
// Read-back (CMD_READ_TARGET_CODE, CMD_READ_STORED_CODE): after a reply with status 0
//   the host reads ceil(length / 128) feature reports (ID 0), 128 data bytes each in
//   bytes 1-128, the last one padded with zeros. Outside a read-back, reading a feature
//   report is refused.
//
// Status codes: AdapterStatus.h. Vendor and product IDs: TavroProduct.h. Command codes:
//   AdapterCommand.h.
//
// Boot loader (product 0x030B): feature 65 bytes, input 65, output 65. Begin (1: 0x33,
//   5-7: image length, 24-bit BE), then the image in reports of 64 bytes, then Check
//   (1: 0x22) after which reading the feature report gives the image's 16-bit sum in
//   bytes 1 (high) and 2 (low), and Restart (1: 0x44), which starts the new firmware
//   (its version is the image's last two bytes) when the whole image came.
class TavroFrames {
public:
    static constexpr std::size_t kFeatureLength = 129;
    static constexpr std::size_t kInputLength = 65;
    static constexpr std::size_t kOutputLength = 65;
    static constexpr std::size_t kBootFeatureLength = 65;
    static constexpr std::size_t kDataPerReport = 128;
    static constexpr std::size_t kReplySize = kInputLength - 1;

    static constexpr std::uint8_t kCommandReportId = 0x0C;
    static constexpr std::uint8_t kCommandKind = 0x01;
    static constexpr std::uint8_t kSwitchKind = 0x44;
    // The library's own query of firmware version and off-line capability.
    static constexpr std::uint8_t kInfo = 0x80;

    static constexpr std::uint8_t kBootBegin = 0x33;
    static constexpr std::uint8_t kBootCheck = 0x22;
    static constexpr std::uint8_t kBootRestart = 0x44;

    struct Command {
        std::uint8_t code = 0;
        std::uint8_t tag = 0;
        std::uint32_t address = 0;
        std::uint32_t length = 0;
        std::uint8_t parameter0 = 0;
        std::uint8_t parameter1 = 0;
    };

    struct Reply {
        std::uint8_t tag = 0;
        std::uint16_t status = 0;
        std::uint16_t millivolts = 0;
        std::uint16_t firmware = 0; // major << 8 | minor
        std::uint8_t offline = 0;
    };

    static std::vector<std::uint8_t> commandFrame(const Command& command);
    static std::vector<std::uint8_t> switchFrame();
    // Nothing when the report is too short or is not a command frame.
    static std::optional<Command> parseCommand(std::span<const std::uint8_t> report);

    // The reply without its report ID, as the programs receive it.
    static std::array<std::uint8_t, kReplySize> replyBytes(const Reply& reply);
    // Nothing when fewer than 6 bytes came; the firmware fields read 0 when absent.
    static std::optional<Reply> parseReply(std::span<const std::uint8_t> bytes);

    // The 16-bit sum of the bytes, as data commands and the boot loader check it.
    static std::uint16_t checksum(std::span<const std::uint8_t> bytes);
};

} // namespace halden
