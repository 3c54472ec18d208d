#include "programmer/buffer/IntelHex.h"

#include "common/HugePages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

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

// The same for hex digits only; every other character reads as kNotDigit, so a record of
// digits alone is told apart in the pass that decodes it.
constexpr std::uint8_t kNotDigit = 0x10;
constexpr std::array<std::uint8_t, 256> makeStrictDigitTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        table[c] = digit ? kDigit[c] : kNotDigit;
    }
    return table;
}
constexpr auto kStrictDigit = makeStrictDigitTable();

// Two characters at once, as they lie in memory: the byte they spell, or kNotPair when
// either is no hex digit. Made once; a plain record is decoded with one look-up a byte.
constexpr std::uint16_t kNotPair = 0x100;
const std::array<std::uint16_t, 65536>& pairTable() {
    static const auto table = [] {
        std::array<std::uint16_t, 65536> pairs{};
        for (unsigned first = 0; first < 256; ++first) {
            for (unsigned second = 0; second < 256; ++second) {
                const unsigned high = kStrictDigit[first];
                const unsigned low = kStrictDigit[second];
                const char text[2] = {static_cast<char>(first), static_cast<char>(second)};
                std::uint16_t index = 0;
                std::memcpy(&index, text, 2);
                pairs[index] = ((high | low) & kNotDigit) != 0
                                   ? kNotPair
                                   : static_cast<std::uint16_t>((high << 4) | low);
            }
        }
        return pairs;
    }();
    return table;
}

constexpr std::size_t kHeaderBytes = 4; // count, address high, address low, type
constexpr std::size_t kMaxLineBytes = 255 + kHeaderBytes + 1 + 1;    // with room for extras
constexpr std::size_t kMinRecordLength = 1 + 2 * (kHeaderBytes + 1); // ':', header, checksum

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
    std::array<std::uint8_t, kMaxLineBytes> bytes; // the record being read

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

    // The length of the plain record at the start of `rest`, its bytes decoded: hex
    // digits only, exactly as long as its count says, then a line break or the end of the
    // text, as converters write them. 0 for anything else, which line() reads.
    std::size_t plainRecord(std::string_view rest, std::uint8_t& sum) {
        if (rest.size() < kMinRecordLength || rest.front() != ':') {
            return 0;
        }
        const unsigned countHigh = kStrictDigit[static_cast<unsigned char>(rest[1])];
        const unsigned countLow = kStrictDigit[static_cast<unsigned char>(rest[2])];
        const std::size_t count = (countHigh << 4) | countLow;
        const std::size_t length = kMinRecordLength + 2 * count;
        if (((countHigh | countLow) & kNotDigit) != 0 || rest.size() < length ||
            (rest.size() > length && rest[length] != '\n' && rest[length] != '\r')) {
            return 0;
        }
        const auto& pairs = pairTable();
        unsigned notPair = 0;
        unsigned total = 0;
        for (std::size_t i = 0, at = 1; i < kHeaderBytes + count + 1; ++i, at += 2) {
            std::uint16_t index = 0;
            std::memcpy(&index, rest.data() + at, 2);
            const unsigned pair = pairs[index];
            notPair |= pair;
            total += pair;
            bytes[i] = static_cast<std::uint8_t>(pair);
        }
        sum = static_cast<std::uint8_t>(total);
        return (notPair & kNotPair) == 0 ? length : 0;
    }

    // Any line: every pair of characters after the ':' decoded and summed, whatever they
    // are. False when the line ends the conversion.
    bool line(std::string_view text, std::size_t number) {
        if (text.empty() || text.front() != ':') {
            if (result.lostLine == 0 && holdsDataRecord(hiddenRecord(text))) {
                result.lostLine = number;
            }
            return true;
        }
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
        return record(decoded, sum, number);
    }

    // The record decoded into `bytes`. False when it ends the conversion.
    bool record(std::size_t decoded, std::uint8_t sum, std::size_t number) {
        ++result.lines;
        // A record shorter than its count says cannot add up: treat it like a bad sum.
        const std::size_t count = decoded > 0 ? bytes[0] : 0;
        if (sum != 0 || decoded < kHeaderBytes + count + 1) {
            result.badChecksum = true;
            stop(number, -1);
            return false;
        }
        const auto address = static_cast<unsigned>((bytes[1] << 8) | bytes[2]);
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

// Where a line starts: its offset in the text and its number (1 = the first).
struct LineStart {
    std::size_t pos = 0;
    std::size_t number = 1;
};

// The length of the line at the start of `rest`: up to its first CR or LF.
std::size_t lineLength(std::string_view rest) {
    std::size_t length = 0;
    while (length < rest.size() && rest[length] != '\n' && rest[length] != '\r') {
        ++length;
    }
    return length;
}

// The line after the one of `length` characters at `at`; lines end at CR, LF or CR LF.
LineStart nextLine(std::string_view text, LineStart at, std::size_t length) {
    const std::size_t end = at.pos + length;
    return {end + (text.substr(end, 2) == "\r\n" ? 2 : 1), at.number + 1};
}

// Calls `each(line, number)` for every line from `from` on, until it says stop.
template <typename Each> void forEachLine(std::string_view text, LineStart from, Each each) {
    for (LineStart at = from; at.pos < text.size();) {
        const std::size_t length = lineLength(text.substr(at.pos));
        if (!each(text.substr(at.pos, length), at.number)) {
            return;
        }
        at = nextLine(text, at, length);
    }
}

} // namespace

IntelHex::Result IntelHex::toImage(std::string_view text, std::size_t bound) {
    Converter converter{bound, {}, 0, {}};
    // Two text characters make one byte: a good first guess at the image's size.
    auto& image = converter.result.image;
    image.reserve(std::min(bound, text.size() / 2));
    HugePages::advise(image.data(), image.capacity());
    std::optional<LineStart> stopped; // the line that ended the conversion
    for (LineStart at; at.pos < text.size();) {
        // A plain record's end is where its count puts it, so only other lines are
        // searched for their end.
        const std::string_view rest = text.substr(at.pos);
        std::uint8_t sum = 0;
        std::size_t length = converter.plainRecord(rest, sum);
        bool going = false;
        if (length != 0) {
            going = converter.record((length - 1) / 2, sum, at.number);
        } else {
            length = lineLength(rest);
            going = converter.line(rest.substr(0, length), at.number);
        }
        if (!going) {
            stopped = at;
            break;
        }
        at = nextLine(text, at, length);
    }
    Result& result = converter.result;
    // What a stop left unread: the stopping line itself if it is a data record gone bad,
    // then every data record after it.
    if (stopped) {
        forEachLine(text, *stopped, [&](std::string_view line, std::size_t number) {
            const bool lost = number == stopped->number
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
