#pragma once

#include <cstdint>

namespace halden {

// The resources that the link library's file carries for the programs and for itself:
// its version record and the adapter firmware image it was built with.
struct LinkLibraryResources {
    static constexpr const char* kVersionType = "VERSION";
    static constexpr std::uint32_t kVersionId = 1;
    static constexpr const char* kFirmwareType = "FW";
    static constexpr std::uint32_t kFirmwareId = 5002;
};

} // namespace halden
