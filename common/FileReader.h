#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// Reads a whole regular file in one piece.
class FileReader {
public:
    // Nothing when the file cannot be opened or read, is not a regular file, or is larger
    // than maxSize bytes.
    static std::optional<std::vector<std::uint8_t>> readAll(const std::string& path,
                                                            std::uintmax_t maxSize);
};

} // namespace halden
