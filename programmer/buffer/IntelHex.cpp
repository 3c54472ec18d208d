#include "programmer/buffer/IntelHex.h"

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

std::uint8_t decodePair(std::string_view text, std::size_t at) {
    return static_cast<std::uint8_t>((kDigit[static_cast<unsigned char>(text[at])] << 4) +
                                     kDigit[static_cast<unsigned char>(text[at + 1])]);
}

// A line whose record type field reads 0, however its checksum adds up.
bool holdsDataRecord(std::string_view line) {
    return line.size() >= 11 && line.front() == ':' && decodePair(line, 7) == 0;
}

// A line that is a record once what hides its ':' is taken away: a UTF-8 byte-order
// mark, spaces or tabs.
std::string_view hiddenRecord(std::string_view line) {
    if (line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    return line;
}

const char* recordName(int type) {
    switch (type) {
    case 1:
        return "end of file";
    case 3:
        return "start segment address";
    case 5:
        return "start linear address";
    default:
        return "unknown";
    }
}

} // namespace

struct IntelHex::Converter {
    std::size_t bound;
    Result result;
    std::uint64_t base = 0;

    void write(std::uint64_t offset, const std::uint8_t* data, std::size_t count) {
        ++result.dataRecords;
        const std::uint64_t end = offset + count;
        result.end = std::max(result.end, end);
        const std::uint64_t kept = std::min<std::uint64_t>(end, bound);
        if (kept <= offset) {
            return;
        }
        auto& image = result.image;
        if (image.size() < kept) {
            image.resize(static_cast<std::size_t>(kept), 0xFF);
        }
        std::copy(data, data + (kept - offset),
                  image.begin() + static_cast<std::ptrdiff_t>(offset));
    }

    // False when the line ends the conversion.
    bool line(std::string_view text, std::size_t number) {
        if (text.empty() || text.front() != ':') {
            if (result.lostLine == 0 && holdsDataRecord(hiddenRecord(text))) {
                result.lostLine = number;
            }
            return true;
        }
        ++result.lines;
        std::array<std::uint8_t, kMaxLineBytes> bytes;
        std::size_t decoded = 0;
        std::uint8_t sum = 0;
        for (std::size_t i = 1; i + 1 < text.size(); i += 2) {
            const auto byte = decodePair(text, i);
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
            stop(number, -1);
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
            stop(number, bytes[3]);
            return false;
        }
    }

    void stop(std::size_t number, int type) {
        result.stopLine = number;
        result.stopType = type;
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

namespace {

// Calls `each(line, number)` for every line, split at CR, LF or CR LF, until it says stop.
template <typename Each> void forEachLine(std::string_view text, Each each) {
    std::size_t pos = 0;
    std::size_t number = 1;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        if (!each(text.substr(pos, end - pos), number)) {
            return;
        }
        pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        ++number;
    }
}

} // namespace

IntelHex::Result IntelHex::toImage(std::string_view text, std::size_t bound) {
    Converter converter{bound, {}};
    // Two text characters make one byte: a good first guess at the image's size.
    converter.result.image.reserve(std::min(bound, text.size() / 2));
    std::size_t resumeAt = 0; // the line after the one that ended the conversion
    forEachLine(text, [&](std::string_view line, std::size_t number) {
        if (converter.line(line, number)) {
            return true;
        }
        resumeAt = number;
        return false;
    });
    Result& result = converter.result;
    // What a stop left unread: the stopping line itself if it is a data record gone bad,
    // then every data record after it.
    if (resumeAt != 0) {
        forEachLine(text, [&](std::string_view line, std::size_t number) {
            if (number < resumeAt) {
                return true;
            }
            const bool lost = number == resumeAt
                                  ? result.badChecksum && holdsDataRecord(line)
                                  : holdsDataRecord(line) || holdsDataRecord(hiddenRecord(line));
            if (lost && (result.lostLine == 0 || number < result.lostLine)) {
                result.lostLine = number;
            }
            return result.lostLine == 0 || result.lostLine > number;
        });
    }
    result.clipped = result.end > bound;
    result.image.resize(static_cast<std::size_t>(std::min<std::uint64_t>(result.end, bound)), 0xFF);
    return std::move(result);
}

std::string IntelHex::loss(const Result& result) {
    if (result.complete()) {
        return {};
    }
    const std::string lost = result.lostLine != 0 ? std::to_string(result.lostLine) : "";
    std::string text;
    if (result.stopLine != 0) {
        text = "line " + std::to_string(result.stopLine) + ": " +
               (result.stopType < 0 ? std::string("checksum error")
                                    : "a record of type " + std::to_string(result.stopType) + " (" +
                                          recordName(result.stopType) + ")") +
               " ends the conversion";
    }
    if (result.lostLine != 0 && (result.stopLine == 0 || result.lostLine < result.stopLine)) {
        text = "line " + lost + ": a record that does not begin with ':' was skipped";
    } else if (result.lostLine != 0) {
        text += "; the data records from line " + lost + " on were not loaded";
    } else if (result.dataRecords == 0) {
        text += (text.empty() ? "" : "; ") + std::string("the file holds no data record");
    } else if (result.end == 0) {
        text += (text.empty() ? "" : "; ") + std::string("the file's data records hold no byte");
    }
    return text;
}

} // namespace halden
