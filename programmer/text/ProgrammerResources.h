#pragma once

#include "common/ResourceDirectory.h"

namespace halden {

// The resources compiled into the programmer: text tables and chip descriptors.
class ProgrammerResources {
public:
    static ResourceDirectory directory();
};

} // namespace halden
