#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// Reads a whole regular file in one piece.
class FileReader {
public:
    struct Result {
        std::optional<std::vector<std::uint8_t>> bytes;
        // Why there are no bytes: "No such file or directory", "Permission denied",
        // "not a regular file", "larger than 256 MiB", ...
        std::string reason;
    };

    // Nothing when the file cannot be opened or read, is not a regular file, or is larger
    // than maxSize bytes.
    static std::optional<std::vector<std::uint8_t>> readAll(const std::string& path,
                                                            std::uintmax_t maxSize);
    // The same, with the reason when there are no bytes.
    static Result read(const std::string& path, std::uintmax_t maxSize);
};

} // namespace halden
