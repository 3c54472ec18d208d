#pragma once

#include "adapter/hid/HidReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace halden {

// The input report a handle waits for: one report ID and one length. A report that comes
// under another ID or with another length is not a reply the programs can read; the
// handle drops it and its readInput gives HidHandle::kInvalidData (the platform's "the
// data is invalid"), which CMD_CHECK_TARGET's rule turns into "target is not there".
class InputReportCheck {
public:
    // length counts the report-ID byte, as the platform's report buffers do.
    InputReportCheck(std::uint32_t id, std::size_t length) : id_(id), length_(length) {}
    // The input report a device's descriptor declares: its longest, under its ID (0 for a
    // device without report IDs).
    explicit InputReportCheck(const HidReportDescriptor::Lengths& lengths)
        : InputReportCheck(lengths.inputId, lengths.input) {}

    // Empty when a report with this ID and length (ID byte counted) is the one expected;
    // otherwise what was wrong with it, for the handle's lastError().
    std::string problem(std::uint32_t id, std::size_t length) const;

private:
    std::uint32_t id_;
    std::size_t length_;
};

} // namespace halden
