#pragma once

#include "tavro/emulator/AdapterMemory.h"

#include <filesystem>
#include <optional>
#include <string>

namespace halden {

// The emulated adapter's memory in a folder, so that one process can program and
// another can check: flash.bin, options.bin, stored-header.bin, stored-code.bin and
// firmware.txt ("MAJOR.MINOR") and mode.txt (the product ID it last showed up with). What the
// folder holds wins over the settings at start.
class EmulatorState {
public:
    // An empty folder name persists nothing.
    explicit EmulatorState(std::filesystem::path dir) : dir_(std::move(dir)) {}

    // Takes every file that is there and fits: flash.bin only with the target's flash
    // size, the others only within the adapter's limits. A file that does not fit is
    // left alone and the memory keeps its value.
    void load(AdapterMemory& memory) const;
    // Writes the items (AdapterMemory::Item bits), each replaced as a whole or left as it
    // was. Empty on success, otherwise one line for each file that could not be written.
    std::string save(const AdapterMemory& memory, unsigned items) const;

    static std::optional<std::uint16_t> parseFirmware(std::string_view text);
    // mode.txt: the product ID in four hexadecimal digits.
    static std::optional<std::uint16_t> parseMode(std::string_view text);

private:
    std::optional<std::vector<std::uint8_t>> read(const char* name, std::size_t maximum) const;
    std::string write(const char* name, const std::vector<std::uint8_t>& bytes) const;

    std::filesystem::path dir_;
};

} // namespace halden
