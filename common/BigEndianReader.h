#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace halden {

// Reads big-endian fields in order from bytes of outside origin. Every read is checked
// against the bytes' end: a read past it leaves the reader failed and yields zeros (an
// empty piece, an empty text).
class BigEndianReader {
public:
    BigEndianReader(std::span<const std::uint8_t> bytes, std::size_t pos)
        : bytes_(bytes), pos_(pos) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return !failed_ && pos_ == bytes_.size(); }

    std::span<const std::uint8_t> take(std::size_t length);
    std::uint8_t byte();
    std::uint16_t word();
    std::uint32_t dword();
    std::string text(std::size_t length);
    // Copies the next length bytes to destination; nothing when they are not there.
    void bytes(std::span<std::uint8_t> destination);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
    bool failed_ = false;
};

} // namespace halden
