#pragma once

namespace halden {

// Hexadecimal digits as the programs read them from text: either case, nothing else.
class HexDigit {
public:
    // The digit's value, or -1 for any other character.
    static constexpr int value(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }
};

} // namespace halden
