#pragma once

#include "programmer/buffer/ProjectRecord.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace halden {

class Clock;
struct PartRecord;

// The project file format: the code image followed by a big-endian trailer whose last
// two bytes give its length.
class ProjectFile {
public:
    // Trailer bytes besides the names and the option area.
    static constexpr std::size_t kFixedTrailerBytes = 57;
    // The fields found from the trailer's end: version, reserved word, type, checksum, T.
    static constexpr std::size_t kEndFieldBytes = 9;

    // Where the trailer's variable parts lie, as found in a file's bytes.
    struct Layout {
        std::size_t trailerStart = 0; // = code length L
        std::size_t trailerLength = 0;
        std::uint8_t codeNameLength = 0;
        std::uint8_t optionAreaLength = 0;
        std::uint8_t ispNameLength = 0;
        // Offset of the option area length byte M, and of S, from the trailer start.
        std::size_t optionLengthOffset() const { return codeNameLength + 32u; }
        std::size_t ispLengthOffset() const { return codeNameLength + optionAreaLength + 39u; }
    };

    // Copies part index, option bytes, code size and checksum from the part record,
    // stamps time and keys, and returns the trailer (the record keeps what was written).
    static std::vector<std::uint8_t>
    BuildProjectTrailer(ProjectRecord& record, const PartRecord& part, const Clock& clock);

    // The type byte when the trailer's structure, type, trailer checksum and code
    // checksum hold; otherwise 0. Never reads outside the bytes.
    static std::uint8_t CheckProjectFile(std::span<const std::uint8_t> file);

    // The trailer's layout, when every length in it fits the file: T inside the file,
    // N + M + S + 57 <= T (the fields from the start and those from the end do not
    // overlap), M <= 176, code size within L.
    static std::optional<Layout> locate(std::span<const std::uint8_t> file);

    // The one walk over a trailer's fields, in their file order: the fields up to the save
    // time from the trailer's start, the last five from its end. At most the record's 176
    // bytes of the option area are copied (the rest keep their values); the fields kept
    // inside the area are left to the caller. Returns the number of bytes between the
    // save time and the end fields (0 when N + M + S + 57 = T), or nothing when the
    // fields from the start run into those at the end.
    static std::optional<std::size_t> readTrailerFields(std::span<const std::uint8_t> trailer,
                                                        ProjectRecord& record);

    // Parses a located trailer into the record, with the fields kept inside the option
    // area as far as the area reaches.
    static void parseTrailer(std::span<const std::uint8_t> file, const Layout& layout,
                             ProjectRecord& record);

    // The option area to write: the option bytes, 0xFF up to offset 128 and from 165,
    // and the reserved block, Random Key and reserved byte of the record between.
    static void fillOptionArea(ProjectRecord& record, std::span<const std::uint8_t> optionBytes);

    // The trailer checksum: the sum of all trailer bytes but the two checksum bytes.
    static std::uint16_t trailerChecksum(std::span<const std::uint8_t> trailer);

private:
    static void readAreaFields(ProjectRecord& record);
};

} // namespace halden
