#pragma once

#include "programmer/programming/ReadTarget.h"

#include <cstdint>
#include <span>
#include <string>

namespace halden {

class TextMessage;
class UiText;

// The production line's checks over ReadTarget, with their result messages: read the
// chip, verify it against an image without erasing or programming, check it is blank.
// A target that is not opened or identified ends with Update Target's messages alone;
// a read that fails shows "Read Target failed !".
class ProductionCheck {
public:
    struct Outcome {
        bool ok = false;
        bool busy = false;      // another adapter operation was running: nothing ran
        std::u16string message; // the result message this check showed; may be empty
    };

    ProductionCheck(ReadTarget& reader, const TextMessage& messages)
        : reader_(reader), messages_(messages) {}

    // Reads length bytes (the caller shows the success once the bytes are saved).
    Outcome read(std::uint32_t length);
    // The read's bytes are saved: "Read Target ok !".
    Outcome reportSaved();
    // Reads as many bytes as expected holds and compares them.
    Outcome verify(std::span<const std::uint8_t> expected);
    // Reads the whole flash and looks for a byte that is not 0xFF.
    Outcome blankCheck(std::uint32_t flashSize);

    const std::vector<std::uint8_t>& data() const { return reader_.data(); }

    // The two failures' texts in the language of `text`.
    static std::u16string verifyFailedText(const UiText& text, std::uint32_t address,
                                           std::uint8_t chipByte, std::uint8_t fileByte,
                                           std::uint32_t count);
    static std::u16string notBlankText(const UiText& text, std::uint32_t address,
                                       std::uint8_t chipByte);

private:
    // Runs the read; an outcome that is final (failure or busy) when it did not succeed.
    bool readChip(std::uint32_t length, Outcome& outcome);
    Outcome show(bool ok, std::u16string text);

    ReadTarget& reader_;
    const TextMessage& messages_;
};

} // namespace halden
