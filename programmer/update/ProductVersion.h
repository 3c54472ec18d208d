#pragma once

#include "programmer/update/VersionNumber.h"

namespace halden {

// The programmer's own release: the product version that `halden --version` and the
// About box show.
class ProductVersion {
public:
    // As the update check compares it: each part cut to 8 bits.
    static VersionNumber number();
    // "1.13.0.0".
    static const char* text();
};

} // namespace halden
