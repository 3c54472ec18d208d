#include "IntelHex.h"

#include <algorithm>
#include <array>

namespace halden {

namespace {

// A character's value is its low four bits, plus 9 when bit 0x40 is set: '0'..'9',
// 'A'..'F' and 'a'..'f' all decode, and nothing is rejected.
constexpr std::array<std::uint8_t, 256> makeDigitTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        table[c] = static_cast<std::uint8_t>(((c & 0x0F) + ((c & 0x40) ? 9 : 0)) & 0xFF);
    }
    return table;
}
constexpr auto kDigit = makeDigitTable();

constexpr std::size_t kHeaderBytes = 4; // count, address high, address low, type
constexpr std::size_t kMaxLineBytes = 255 + kHeaderBytes + 1 + 1; // with room for extras

} // namespace

struct IntelHex::Converter {
    std::size_t bound;
    Result result;
    std::uint64_t base = 0;
    std::uint64_t highestEnd = 0;

    void write(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
        const std::uint64_t end = offset + count;
        const std::uint64_t kept = std::min<std::uint64_t>(end, bound);
        if (end > kept) {
            result.clipped = true;
        }
        if (kept <= offset) {
            return;
        }
        auto& image = result.image;
        if (image.size() < kept) {
            image.resize(static_cast<std::size_t>(kept), 0xFF);
        }
        std::copy(data, data + (kept - offset),
                  image.begin() + static_cast<std::ptrdiff_t>(offset));
        highestEnd = std::max(highestEnd, kept);
    }

    // False when the line ends the conversion.
    bool line(std::string_view text) {
        if (text.empty() || text.front() != ':') {
            return true;
        }
        ++result.lines;
        std::array<std::uint8_t, kMaxLineBytes> bytes;
        std::size_t decoded = 0;
        std::uint8_t sum = 0;
        for (std::size_t i = 1; i + 1 < text.size(); i += 2) {
            const auto byte =
                static_cast<std::uint8_t>((kDigit[static_cast<unsigned char>(text[i])] << 4) +
                                          kDigit[static_cast<unsigned char>(text[i + 1])]);
            sum = static_cast<std::uint8_t>(sum + byte);
            if (decoded < bytes.size()) {
                bytes[decoded] = byte;
            }
            ++decoded;
        }
        // A record shorter than its count says cannot add up: treat it like a bad sum.
        const std::size_t count = decoded > 0 ? bytes[0] : 0;
        if (sum != 0 || decoded < kHeaderBytes + count + 1) {
            result.badChecksum = true;
            return false;
        }
        const unsigned address = (bytes[1] << 8) | bytes[2];
        switch (bytes[3]) {
        case 0:
            write(base + address, bytes.data() + kHeaderBytes, count);
            return true;
        case 2:
        case 4:
            extendedAddress(bytes[3], count, address, bytes.data() + kHeaderBytes);
            return true;
        default:
            return false;
        }
    }

    void extendedAddress(std::uint8_t type, std::size_t count, unsigned address,
                         const std::uint8_t* data) {
        if (count != 2 || address != 0) {
            return;
        }
        const std::uint8_t high = data[0] == 0x08 ? 0x00 : data[0];
        const std::uint64_t value = (std::uint64_t{high} << 8) | data[1];
        base = type == 2 ? value * 16 : value << 16;
    }
};

IntelHex::Result IntelHex::toImage(std::string_view text, std::size_t bound) {
    Converter converter{bound, {}};
    // Two text characters make one byte: a good first guess at the image's size.
    converter.result.image.reserve(std::min(bound, text.size() / 2));
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        if (!converter.line(text.substr(pos, end - pos))) {
            break;
        }
        pos = end + 1;
    }
    converter.result.image.resize(static_cast<std::size_t>(converter.highestEnd));
    return std::move(converter.result);
}

} // namespace halden
