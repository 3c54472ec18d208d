#include "tavro/emulator/EmulatorState.h"

#include "common/AtomicFile.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace halden {

namespace {

constexpr const char* kFlash = "flash.bin";
constexpr const char* kOptions = "options.bin";
constexpr const char* kHeader = "stored-header.bin";
constexpr const char* kCode = "stored-code.bin";
constexpr const char* kFirmware = "firmware.txt";
constexpr const char* kMode = "mode.txt";
constexpr std::size_t kMaxFirmwareText = 32;

std::optional<std::uint8_t> parseByte(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace

std::optional<std::uint16_t> EmulatorState::parseFirmware(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const auto major = parseByte(text.substr(0, dot));
    const auto minor = parseByte(text.substr(dot + 1));
    if (!major || !minor) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>((*major << 8) | *minor);
}

std::optional<std::uint16_t> EmulatorState::parseMode(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 4 || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<std::vector<std::uint8_t>> EmulatorState::read(const char* name,
                                                             std::size_t maximum) const {
    std::error_code error;
    const auto path = dir_ / name;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > maximum) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        return std::nullopt;
    }
    return bytes;
}

void EmulatorState::load(AdapterMemory& memory) const {
    if (dir_.empty()) {
        return;
    }
    if (auto flash = read(kFlash, memory.flash.size());
        flash && flash->size() == memory.flash.size()) {
        memory.flash = std::move(*flash);
    }
    if (auto options = read(kOptions, AdapterMemory::kMaxOptions)) {
        memory.options = std::move(*options);
    }
    if (auto header = read(kHeader, AdapterMemory::kMaxHeader)) {
        memory.storedHeader = std::move(*header);
    }
    if (auto code = read(kCode, AdapterMemory::kMaxStoredCode)) {
        memory.storedCode = std::move(*code);
    }
    if (const auto text = read(kFirmware, kMaxFirmwareText)) {
        const std::string_view view(reinterpret_cast<const char*>(text->data()), text->size());
        memory.firmware = parseFirmware(view).value_or(memory.firmware);
    }
    if (const auto text = read(kMode, kMaxFirmwareText)) {
        const std::string_view view(reinterpret_cast<const char*>(text->data()), text->size());
        memory.productId = parseMode(view).value_or(memory.productId);
    }
}

std::string EmulatorState::write(const char* name, const std::vector<std::uint8_t>& bytes) const {
    // A reader in another process sees the old file or the new one, never half of one.
    return AtomicFile::write((dir_ / name).string(), bytes);
}

std::string EmulatorState::save(const AdapterMemory& memory, unsigned items) const {
    if (dir_.empty()) {
        return {};
    }
    std::error_code error;
    std::filesystem::create_directories(dir_, error);
    if (error) {
        return "cannot make " + dir_.string() + ": " + error.message();
    }
    std::string failures;
    const auto keep = [&failures](const std::string& failure) {
        if (!failure.empty()) {
            failures += (failures.empty() ? "" : "\n") + failure;
        }
    };
    if (items & AdapterMemory::kFlash) {
        keep(write(kFlash, memory.flash));
    }
    if (items & AdapterMemory::kOptions) {
        keep(write(kOptions, memory.options));
    }
    if (items & AdapterMemory::kStoredHeader) {
        keep(write(kHeader, memory.storedHeader));
    }
    if (items & AdapterMemory::kStoredCode) {
        keep(write(kCode, memory.storedCode));
    }
    if (items & AdapterMemory::kFirmware) {
        const std::string text = std::to_string(memory.firmware >> 8) + "." +
                                 std::to_string(memory.firmware & 0xFF) + "\n";
        keep(write(kFirmware, {text.begin(), text.end()}));
    }
    if (items & AdapterMemory::kMode) {
        char text[8];
        std::snprintf(text, sizeof text, "%04X\n", memory.productId);
        keep(write(kMode, {text, text + 5}));
    }
    return failures;
}

} // namespace halden
