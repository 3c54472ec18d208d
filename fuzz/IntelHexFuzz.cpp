// Intel HEX text from anywhere: the image never grows past its bound and no record
// reads past its line. Records as converters write them are read by a quicker path than
// other lines; an unpaired blank after a ':' line of odd length is ignored by the general
// reading and keeps every line off the quick path, so the text with such blanks must give
// the same result in every field.
#include "fuzz/FuzzSupport.h"
#include "programmer/buffer/IntelHex.h"

#include <string>
#include <string_view>
#include <tuple>

namespace {

std::string withUnpairedBlanks(std::string_view text) {
    std::string twin;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        const std::string_view line = text.substr(start, end - start);
        twin += line;
        if (!line.empty() && line.front() == ':' && line.size() % 2 == 1) {
            twin += ' ';
        }
        const std::size_t breakLength = text.substr(end, 2) == "\r\n" ? 2
                                        : end < text.size()           ? 1
                                                                      : 0;
        twin += text.substr(end, breakLength);
        start = end + breakLength;
        if (breakLength == 0) {
            break;
        }
    }
    return twin;
}

auto fields(const halden::IntelHex::Result& r) {
    return std::tie(r.image, r.clipped, r.badChecksum, r.lines, r.end, r.dataRecords, r.stopLine,
                    r.stopType, r.lostLine);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kBound = 0x40000;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = halden::IntelHex::toImage(text, kBound);
    FUZZ_CHECK(result.image.size() <= kBound);
    const auto general = halden::IntelHex::toImage(withUnpairedBlanks(text), kBound);
    FUZZ_CHECK(fields(result) == fields(general));
    return 0;
}
