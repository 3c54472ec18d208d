#include "programmer/text/KeyedTables.h"

#include "common/ByteOrder.h"

#include <limits>

namespace halden {

std::optional<std::u16string> KeyedTables::FindTableString(std::uint32_t resourceId,
                                                           std::uint16_t key) const {
    const auto table = resources_.find("DYNAMIC", resourceId);
    if (!table) {
        return std::nullopt;
    }
    return findInTable(*table, key);
}

std::uint32_t KeyedTables::GetTableNumber(std::uint32_t resourceId, std::uint16_t key) const {
    const auto text = FindTableString(resourceId, key);
    return text ? parseNumber(*text) : 0;
}

std::optional<std::u16string> KeyedTables::findInTable(std::span<const std::uint8_t> table,
                                                       std::uint16_t key) {
    std::size_t pos = 0;
    while (pos + 2 <= table.size()) {
        const std::uint16_t recordKey = ByteOrder::readLe16(table, pos);
        if (recordKey == kEndKey) {
            return std::nullopt;
        }
        pos += 2;
        std::u16string text;
        bool terminated = false;
        while (pos + 2 <= table.size()) {
            const char16_t unit = ByteOrder::readLe16(table, pos);
            pos += 2;
            if (unit == 0) {
                terminated = true;
                break;
            }
            text += unit;
        }
        if (!terminated) {
            return std::nullopt;
        }
        if (recordKey == key) {
            return text;
        }
    }
    return std::nullopt;
}

namespace {

bool isWideSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0xA0 || c == 0x3000 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x1680;
}

int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'z') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'Z') {
        return c - u'A' + 10;
    }
    return 99;
}

} // namespace

std::uint32_t KeyedTables::parseNumber(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isWideSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    unsigned base = 10;
    if (pos < text.size() && text[pos] == u'0') {
        base = 8;
        // "0x" counts as a prefix only when a hex digit follows; "0x" alone reads as 0.
        const bool hexPrefix = pos + 2 < text.size() &&
                               (text[pos + 1] == u'x' || text[pos + 1] == u'X') &&
                               digitValue(text[pos + 2]) < 16;
        if (hexPrefix) {
            base = 16;
            pos += 2;
        }
    }
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < text.size(); ++pos) {
        const int digit = digitValue(text[pos]);
        if (digit >= static_cast<int>(base)) {
            break;
        }
        value = value * base + static_cast<unsigned>(digit);
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            overflow = true;
            value = std::numeric_limits<std::uint32_t>::max();
        }
    }
    if (overflow) {
        return std::numeric_limits<std::uint32_t>::max();
    }
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

} // namespace halden
