#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// Intel HEX text to a flash image from offset 0. Gaps are 0xFF; extended address
// records with a high byte of 0x08 map the flash at 0x08000000 to offset 0.
//
// The image never grows past `bound` bytes, whatever addresses the file gives: its
// length is the data's highest end, and when that lies beyond the bound the image holds
// the first `bound` bytes of it (the gaps up to the bound as 0xFF) and says so, so a
// caller can warn and cut, and nothing is allocated in proportion to an address taken
// from the file.
class IntelHex {
public:
    struct Result {
        std::vector<std::uint8_t> image;
        // The data's highest end lies beyond the bound; the image stops at the bound.
        bool clipped = false;
        // The conversion stopped at a line whose checksum did not add up to 0.
        bool badChecksum = false;
        // Records read, up to and including the one that ended the conversion.
        std::size_t lines = 0;
        // The highest end of the data, also beyond the bound.
        std::uint64_t end = 0;
        // Data records converted.
        std::size_t dataRecords = 0;
        // The line (1 = the first) that ended the conversion, 0 when it ran to the end,
        // and that record's type (-1 for a bad checksum).
        std::size_t stopLine = 0;
        int stopType = -1;
        // The first line holding a data record that was not converted: at or after the
        // line that ended the conversion, or hidden before its ':' (e.g. behind a
        // byte-order mark). 0 when there is none.
        std::size_t lostLine = 0;

        // Every data record of the file was converted, and they gave the image at least
        // one byte: records of no bytes that leave the end at 0 (what a line of zeros or
        // spaces after ':' decodes to) convert to nothing.
        bool complete() const { return dataRecords > 0 && end > 0 && lostLine == 0; }
    };

    static Result toImage(std::string_view text, std::size_t bound);

    // What an incomplete conversion lost, naming the line ("line 7: checksum error;
    // the data records from line 7 on were not loaded"); empty for a complete one.
    static std::string loss(const Result& result);

private:
    struct Converter;
};

} // namespace halden
