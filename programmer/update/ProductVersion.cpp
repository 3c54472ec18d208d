#include "programmer/update/ProductVersion.h"

namespace halden {

VersionNumber ProductVersion::number() {
    return VersionNumber::fromParts(HALDEN_VERSION_MAJOR, HALDEN_VERSION_MINOR,
                                    HALDEN_VERSION_BUILD, HALDEN_VERSION_REVISION);
}

const char* ProductVersion::text() {
    return HALDEN_PRODUCT_VERSION;
}

} // namespace halden
