#include "hexview/HexText.h"
#include "common/HexDigit.h"

namespace halden {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',';
}

std::string_view withoutPrefix(std::string_view group) {
    if (group.size() >= 2 && group[0] == '0' && (group[1] == 'x' || group[1] == 'X')) {
        group.remove_prefix(2);
    }
    return group;
}

bool appendGroup(std::string_view group, std::vector<std::uint8_t>& out) {
    group = withoutPrefix(group);
    if (group.empty() || group.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < group.size(); i += 2) {
        const int high = HexText::digitValue(group[i]);
        const int low = HexText::digitValue(group[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return true;
}

} // namespace

int HexText::digitValue(char c) {
    return HexDigit::value(c);
}

char HexText::printable(std::uint8_t byte) {
    return isPrintable(byte) ? static_cast<char>(byte) : '.';
}

std::string HexText::address(std::uint64_t value, unsigned digits) {
    std::string text(digits, '0');
    for (auto it = text.rbegin(); it != text.rend(); ++it, value >>= 4) {
        *it = digit(static_cast<unsigned>(value));
    }
    return text;
}

std::string HexText::bytes(const std::uint8_t* data, std::size_t count) {
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += digit(data[i] >> 4);
        text += digit(data[i]);
    }
    return text;
}

void HexText::row(const std::uint8_t* data, std::size_t count, std::string& hex,
                  std::string& ascii) {
    hex.assign(count * 3, ' ');
    ascii.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        hex[3 * i] = digit(data[i] >> 4);
        hex[3 * i + 1] = digit(data[i]);
        ascii[i] = printable(data[i]);
    }
}

std::optional<std::vector<std::uint8_t>> HexText::parseBytes(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isSeparator(text[end])) {
            ++end;
        }
        if (!appendGroup(text.substr(i, end - i), out)) {
            return std::nullopt;
        }
        i = end;
    }
    return out;
}

std::optional<std::uint64_t> HexText::parseAddress(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = withoutPrefix(text.substr(first, text.find_last_not_of(" \t") - first + 1));
    if (text.empty() || text.size() > 16) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        const int digitValue = HexText::digitValue(c);
        if (digitValue < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<unsigned>(digitValue);
    }
    return value;
}

} // namespace halden
