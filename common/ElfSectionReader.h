#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// Reads one named section out of a 64-bit little-endian ELF file without loading
// it, the way a version or resource block is read from a library before it is used.
class ElfSectionReader {
public:
    enum class Status { Ok, FileNotFound, AccessDenied, BadFormat, NoSection };

    struct Result {
        Status status = Status::BadFormat;
        std::vector<std::uint8_t> bytes;
    };

    // Files above this size are not ELF objects we would load.
    static constexpr std::uintmax_t kMaxFileSize = 512u * 1024 * 1024;

    static Result read(const std::string& path, std::string_view sectionName);
    // The same on bytes already in memory.
    static Result parse(const std::vector<std::uint8_t>& file, std::string_view sectionName);
};

} // namespace halden
