#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace halden {

// The off-line settings that go into the project stored in the adapter, and the rules
// by which the Off-Line Mode dialog (and the command line) edit them. Reset before each
// Update Programmer; nothing of them is kept.
struct OfflineSettings {
    static constexpr std::uint8_t kSerialEnabled = 0x01;
    static constexpr std::uint8_t kAutoIncrement = 0x02;
    static constexpr std::uint16_t kMaxCounterLimit = 65530;
    static constexpr std::size_t kSerialStringSize = 12;
    // The adapter writes the serial number as 16 bytes from the start address.
    static constexpr std::uint32_t kSerialSpan = 16;
    static constexpr std::size_t kHexDigits = 8;

    std::uint8_t serialFlags = 0;
    std::uint32_t startAddress = 0;
    std::uint32_t serialNumber = 0;
    std::uint16_t maxCounter = 0;
    std::array<std::uint8_t, kSerialStringSize> serialString{};

    // Serial disabled, start address flashSize - 16, number 0, counter 0, 12 spaces.
    static OfflineSettings reset(std::uint32_t flashSize);
    // The highest start address: the serial number's 16 bytes end at the flash's end.
    static std::uint32_t startAddressLimit(std::uint32_t flashSize) {
        return flashSize > kSerialSpan ? flashSize - kSerialSpan : 0;
    }
    // Eight upper-case hex digits, as the address edits show a value.
    static std::string hex8(std::uint32_t value);

    void setSerialEnabled(bool on) { setFlag(kSerialEnabled, on); }
    void setAutoIncrement(bool on) { setFlag(kAutoIncrement, on); }
    bool serialEnabled() const { return (serialFlags & kSerialEnabled) != 0; }
    bool autoIncrement() const { return (serialFlags & kAutoIncrement) != 0; }

    // The max counter's decimal text; true when it was above the limit and the counter
    // now holds the limit (the edit is then rewritten). Empty text counts as 0.
    bool setMaxCounter(std::string_view decimal);
    // The text converted to the ANSI code page (Windows-1252, '?' for what it lacks) into
    // the serial string, at most 12 bytes; a shorter string ends with a zero byte.
    // True when characters beyond the twelfth were dropped.
    bool setSerialString(std::u16string_view text);
    // The number's text read as hexadecimal, as far as it holds hex digits (at most 8);
    // text without one leaves the number as it was.
    void setSerialNumber(std::string_view hex);

    // What became of a typed start address: replaced by the limit, or rounded down to a
    // multiple of 4 because all 8 digits were typed. A replacement rewrites the edit with
    // `shown` and beeps.
    enum class AddressChange { None, Clamped, Rounded };
    struct AddressEdit {
        AddressChange change = AddressChange::None;
        std::string shown; // 8 hex digits when replaced
    };
    AddressEdit setStartAddress(std::string_view hex, std::uint32_t flashSize);
    // OK's rule: an address that is not a multiple of 4 is rounded down and shown as 8
    // digits (returned), and the dialog stays open; nothing when OK may close.
    std::optional<std::string> roundStartAddressForOk();
    std::uint32_t endAddress() const { return startAddress + kSerialSpan - 1; }

    // Whether the adapter, writing the serial number's 16 bytes at the start address,
    // would write over code bytes that are not 0xFF. Never with the serial disabled.
    bool serialOverlapsCode(std::span<const std::uint8_t> code) const;

private:
    void setFlag(std::uint8_t flag, bool on) {
        serialFlags = static_cast<std::uint8_t>(on ? serialFlags | flag : serialFlags & ~flag);
    }
};

} // namespace halden
