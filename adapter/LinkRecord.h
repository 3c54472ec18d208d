#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace halden {

// The diagnostic record one adapter transaction leaves: what went out, what came back,
// and what went wrong in words a log or a script can use. Below the system's messages.
struct LinkRecord {
    enum class Operation { Open, Close, Command, ReadData, FirmwareQuery, Report };

    Operation operation = Operation::Command;
    std::string what;         // "CMD_OPEN_TARGET (0x25)", "open programmer mode adapter"
    std::uint8_t command = 0; // the command code, for commands and reads
    std::optional<std::uint8_t> tag;
    std::optional<std::uint16_t> status;
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    int result = 0;       // the link-library call's or the reply read's result
    std::string hidError; // the HID layer's text for a failed call
    std::chrono::microseconds elapsed{};
    bool ok = true;
    std::string problem; // what went wrong, without the operation: "no reply within 4000 ms"

    // "CMD_OPEN_TARGET (0x25) tag 0x3C status 0 address 0x00000000 length 0: ok, 1.2 ms"
    std::string text() const;
    // "no reply to CMD_OPEN_TARGET (0x25) within 4000 ms": what failed, in one line.
    std::string failureLine() const;
    // The step of an adapter operation this transaction belongs to, for a reader who
    // does not know the commands: "erasing the chip", "opening the adapter", ...
    std::string step() const;
};

} // namespace halden
