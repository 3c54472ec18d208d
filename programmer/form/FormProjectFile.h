#pragma once

#include "programmer/buffer/ProjectRecord.h"

#include <cstdint>
#include <optional>
#include <span>

namespace halden {

// The request form's own reading of a project file: its checks, in their order, and a
// parse that never reads outside the file and copies at most the record's option area.
class FormProjectFile {
public:
    enum class Check {
        Usable,
        NotProject,     // the magic is not there (or no trailer could hold it)
        Incompatible,   // a type other than 0x16 and 0x17
        ContentDiffers, // the trailer checksum does not match
        TooNew,         // format version 0x0303 or higher
    };

    // The first check that fails, or Usable.
    static Check check(std::span<const std::uint8_t> file);
    // The UI text that a failed check shows.
    static std::uint16_t messageId(Check check);

    // The trailer in its field order, or nothing when its lengths do not add up to the
    // trailer the file ends with. The option area is copied into the record's 176 bytes
    // (0xFF past the file's M); the Random Key comes from that copy.
    static std::optional<ProjectRecord> parse(std::span<const std::uint8_t> file);
};

} // namespace halden
