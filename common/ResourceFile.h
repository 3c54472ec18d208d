#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halden {

// One resource of a shared library's file, read without loading the library: its
// resource section through the ELF reader, then the entry in the section's directory.
class ResourceFile {
public:
    struct Lookup {
        // 0, or the system error code (SystemError) for the file that the Windows
        // resource functions would give: file not found, access denied, bad format,
        // resource type not found.
        std::uint32_t error = 0;
        std::vector<std::uint8_t> bytes;
    };

    static Lookup read(const std::string& path, const char* type, std::uint32_t id);
};

} // namespace halden
