#pragma once

#include <string>

namespace halden {

// What the link library's calls return besides 0: the stand-in's own numbers, which the
// programs only pass on or name in diagnostics.
enum LinkResult : int {
    LINK_OK = 0,
    LINK_NO_DEVICE = 1,         // no such adapter on the bus, or it cannot be opened
    LINK_NOT_OPEN = 2,          // no adapter is open
    LINK_REFUSED = 3,           // the adapter refused a report
    LINK_NO_REPLY = 4,          // no reply within 4000 ms, or the read failed
    LINK_ADAPTER_STATUS = 5,    // the adapter answered with a non-zero status
    LINK_BAD_ARGUMENT = 6,      // arguments the call cannot take
    LINK_BAD_SETTINGS = 7,      // TAVRO_EMULATOR is not a valid settings list
    LINK_UNUSABLE_DEVICE = 8,   // the device's report lengths do not fit the protocol
    LINK_NO_FIRMWARE_IMAGE = 9, // the library file carries no firmware to compare with
    LINK_IN_USE = 10,           // another process has the adapter open
};

// "the adapter is in use by another process", ... for diagnostics.
std::string linkResultText(int result);

} // namespace halden
