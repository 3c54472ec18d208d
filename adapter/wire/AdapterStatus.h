#pragma once

#include <cstdint>

namespace halden {

// The status a Tavro adapter puts in reply bytes 2 and 3.
enum AdapterStatus : std::uint16_t {
    STATUS_DONE = 0,
    STATUS_CHECKSUM_MISMATCH = 1, // the data's sum differs from the parameter bytes
    STATUS_VOLTAGE = 2,           // the target supply is outside 2000 to 3599 mV
    STATUS_NO_TARGET = 3,         // no target answers, or the target is not open
    STATUS_FAILED = 4,            // unknown command, a length or address outside the memory,
                                  // no off-line capability, a malformed project header
    STATUS_WRONG_PART = 5,        // the target is not the part asked about
    STATUS_DONE_TOO = 6,          // older firmware's "done" for CMD_CHECK_TARGET
};

} // namespace halden
