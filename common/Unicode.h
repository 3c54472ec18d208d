#pragma once

#include <string>
#include <string_view>

namespace halden {

// UTF-8 <-> UTF-16 conversion. Malformed input never fails: each bad byte or
// lone surrogate becomes U+FFFD, so messages built from outside data always print.
class Unicode {
public:
    static std::u16string toUtf16(std::string_view utf8);
    static std::string toUtf8(std::u16string_view utf16);
    // The length of the well-formed UTF-8 sequence at text[pos] (1 for ASCII), or 0 when
    // the bytes there are not one; the code point goes to `codePoint`.
    static std::size_t sequenceAt(std::string_view text, std::size_t pos, char32_t& codePoint);
};

} // namespace halden
