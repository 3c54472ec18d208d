#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// The text forms of bytes and addresses: what the view paints, copies and reads back.
class HexText {
public:
    // The value of a hex digit of either case, or -1.
    static int digitValue(char c);
    static char digit(unsigned value) { return "0123456789ABCDEF"[value & 0xF]; }
    // The character the ASCII column shows for a byte: printable ASCII as itself, else '.'.
    static char printable(std::uint8_t byte);
    static bool isPrintable(std::uint8_t byte) { return byte >= 0x20 && byte < 0x7F; }

    // The low digits hex digits of value, zero-padded: a column of fixed width.
    static std::string address(std::uint64_t value, unsigned digits);
    // "DE AD BE EF": two upper-case digits per byte, one space between bytes.
    static std::string bytes(const std::uint8_t* data, std::size_t count);
    // The hex and ASCII columns of one row; the hex text has three cells per byte.
    static void row(const std::uint8_t* data, std::size_t count, std::string& hex,
                    std::string& ascii);

    // Reads hex byte text: groups of digits separated by white space or commas, each group
    // an even number of digits ("DEADBEEF" is four bytes), optionally after "0x".
    // Returns nothing if any group is not hex or has an odd number of digits.
    static std::optional<std::vector<std::uint8_t>> parseBytes(std::string_view text);
    // Reads an address: 1 to 16 hex digits, optionally after "0x", blanks around it allowed.
    static std::optional<std::uint64_t> parseAddress(std::string_view text);
};

} // namespace halden
