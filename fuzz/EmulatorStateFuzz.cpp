// firmware.txt from an emulator's state folder, the one state file read as text (the
// others are taken whole when their size fits). A version is read only from MAJOR.MINOR
// in decimal, each at most 255, followed by nothing but line ends and spaces; what the
// emulator writes reads back as the version it wrote; and reading allocates nothing.
#include "fuzz/FuzzSupport.h"
#include "tavro/emulator/EmulatorState.h"

#include <string>

namespace {

using halden::EmulatorState;

std::optional<unsigned> decimalByte(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 255) {
            return std::nullopt;
        }
    }
    return value;
}

std::optional<std::uint16_t> expectedVersion(std::string_view text) {
    const auto end = text.find_last_not_of("\r\n ");
    text = text.substr(0, end == std::string_view::npos ? 0 : end + 1);
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const auto major = decimalByte(text.substr(0, dot));
    const auto minor = decimalByte(text.substr(dot + 1));
    if (!major || !minor) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*major << 8 | *minor);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<std::uint16_t> version;
    {
        const halden::fuzz::AllocationWatch watch;
        version = EmulatorState::parseFirmware(text);
        FUZZ_CHECK(watch.count() == 0);
    }
    FUZZ_CHECK(version == expectedVersion(text));

    if (size >= 2) {
        // The emulator's own "MAJOR.MINOR\n", and the same as an editor on another
        // system might save it.
        const unsigned written = data[0] << 8 | data[1];
        const std::string line =
            std::to_string(written >> 8) + "." + std::to_string(written & 0xFF);
        FUZZ_CHECK(EmulatorState::parseFirmware(line + "\n") == written);
        FUZZ_CHECK(EmulatorState::parseFirmware(line + " \r\n") == written);
    }
    return 0;
}
