#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace halden {

// Intel HEX text to a flash image from offset 0. Gaps are 0xFF; extended address
// records with a high byte of 0x08 map the flash at 0x08000000 to offset 0.
//
// The image never grows past `bound` bytes, whatever addresses the file gives: data
// beyond it is dropped and the result says so, so a caller can warn and nothing is
// allocated in proportion to an address taken from the file.
class IntelHex {
public:
    struct Result {
        std::vector<std::uint8_t> image;
        // Data records wrote past the bound; their bytes beyond it were dropped.
        bool clipped = false;
        // The conversion stopped at a line whose checksum did not add up to 0.
        bool badChecksum = false;
        // Lines read, up to and including the one that ended the conversion.
        std::size_t lines = 0;
    };

    static Result toImage(std::string_view text, std::size_t bound);

private:
    struct Converter;
};

} // namespace halden
