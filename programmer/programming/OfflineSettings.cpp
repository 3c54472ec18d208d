#include "programmer/programming/OfflineSettings.h"
#include "common/HexDigit.h"

#include <algorithm>
#include <cstdio>

namespace halden {

namespace {

// Windows-1252's bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint8_t toAnsi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<std::uint8_t>(c);
    }
    for (std::size_t i = 0; i < std::size(kHighControls); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return '?';
}

// The leading hex digits' value, at most 8 of them; nothing without a digit.
std::optional<std::uint32_t> readHex(std::string_view text) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (const char c : text) {
        const int digit = HexDigit::value(c);
        if (digit < 0 || digits == OfflineSettings::kHexDigits) {
            break;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
        ++digits;
    }
    return digits == 0 ? std::nullopt : std::optional<std::uint32_t>(value);
}

} // namespace

OfflineSettings OfflineSettings::reset(std::uint32_t flashSize) {
    OfflineSettings settings;
    settings.startAddress = startAddressLimit(flashSize);
    settings.serialString.fill(' ');
    return settings;
}

std::string OfflineSettings::hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

bool OfflineSettings::setMaxCounter(std::string_view decimal) {
    std::uint64_t value = 0;
    for (const char c : decimal) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'),
                                        0xFFFFFFFFull + 1);
    }
    const bool above = value > kMaxCounterLimit;
    maxCounter = static_cast<std::uint16_t>(above ? kMaxCounterLimit : value);
    return above;
}

bool OfflineSettings::setSerialString(std::u16string_view text) {
    const bool cut = text.size() > kSerialStringSize;
    text = text.substr(0, std::min(text.size(), kSerialStringSize));
    serialString.fill(0);
    std::transform(text.begin(), text.end(), serialString.begin(), toAnsi);
    return cut;
}

void OfflineSettings::setSerialNumber(std::string_view hex) {
    if (const auto value = readHex(hex)) {
        serialNumber = *value;
    }
}

OfflineSettings::AddressEdit OfflineSettings::setStartAddress(std::string_view hex,
                                                              std::uint32_t flashSize) {
    AddressEdit edit;
    const auto typed = readHex(hex);
    if (!typed) {
        return edit;
    }
    std::uint32_t value = *typed;
    const std::uint32_t limit = startAddressLimit(flashSize);
    if (value > limit) {
        value = limit;
        edit.change = AddressChange::Clamped;
    } else if (hex.size() == kHexDigits && value % 4 != 0) {
        value &= ~std::uint32_t{3};
        edit.change = AddressChange::Rounded;
    }
    startAddress = value;
    if (edit.change != AddressChange::None) {
        edit.shown = hex8(value);
    }
    return edit;
}

std::optional<std::string> OfflineSettings::roundStartAddressForOk() {
    if (startAddress % 4 == 0) {
        return std::nullopt;
    }
    startAddress &= ~std::uint32_t{3};
    return hex8(startAddress);
}

bool OfflineSettings::serialOverlapsCode(std::span<const std::uint8_t> code) const {
    if (!serialEnabled() || startAddress >= code.size()) {
        return false;
    }
    const auto begin = code.begin() + startAddress;
    const auto end =
        code.begin() + std::min<std::size_t>(code.size(), std::size_t{startAddress} + kSerialSpan);
    return std::any_of(begin, end, [](std::uint8_t byte) { return byte != 0xFF; });
}

} // namespace halden
