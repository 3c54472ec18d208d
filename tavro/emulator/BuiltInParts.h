#pragma once

#include "tavro/emulator/EmulatedPartTable.h"

namespace halden {

// The parts of the chip descriptors the programs ship, generated at build time from the
// same descriptor files, for the link library's emulated adapter and for tests.
class BuiltInParts {
public:
    static EmulatedPartTable table();
};

} // namespace halden
