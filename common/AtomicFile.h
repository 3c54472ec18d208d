#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace halden {

// Writes a whole file so that a reader sees either the old file or the complete new
// one: the bytes go to a temporary file beside it, which replaces the target only when
// everything was written and flushed.
class AtomicFile {
public:
    // Empty on success, otherwise what went wrong (the target is left as it was).
    static std::string write(const std::string& path, std::span<const std::uint8_t> bytes);
};

} // namespace halden
