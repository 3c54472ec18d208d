#include "adapter/hid/HidDevicePath.h"
#include "common/HexDigit.h"

#include <cctype>
#include <cstdio>

namespace halden {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint16_t> parseHex4(std::string_view text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    std::uint16_t value = 0;
    for (const char c : text) {
        const int digit = HexDigit::value(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

} // namespace

bool HidDevicePath::samePath(std::string_view a, std::string_view b) {
    return equalsIgnoringCase(a, b);
}

std::string HidDevicePath::prefix(std::uint16_t vendorId, std::uint16_t productId) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "Vid_%04x&Pid_%04x", vendorId, productId);
    return std::string("\\\\?\\HID#") + ids + "#";
}

std::string HidDevicePath::format(std::uint16_t vendorId, std::uint16_t productId,
                                  std::string_view instance) {
    return prefix(vendorId, productId) + std::string(instance) + "#" + std::string(kInterfaceClass);
}

std::optional<std::uint16_t> HidDevicePath::productId(std::string_view path,
                                                      std::uint16_t vendorId) {
    // "\\?\HID#" + "Vid_xxxx&Pid_xxxx#"
    constexpr std::string_view kStart = "\\\\?\\HID#";
    constexpr std::size_t kIds = 17;
    if (path.size() < kStart.size() + kIds + 1 ||
        !equalsIgnoringCase(path.substr(0, kStart.size()), kStart)) {
        return std::nullopt;
    }
    const std::string_view ids = path.substr(kStart.size(), kIds + 1);
    const auto vendor = parseHex4(ids.substr(4, 4));
    const auto product = parseHex4(ids.substr(13, 4));
    if (!equalsIgnoringCase(ids.substr(0, 4), "Vid_") ||
        !equalsIgnoringCase(ids.substr(8, 5), "&Pid_") || ids[17] != '#' || !vendor || !product ||
        *vendor != vendorId) {
        return std::nullopt;
    }
    return product;
}

} // namespace halden
