#pragma once

#include "tavro/emulator/EmulatedPart.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace halden {

// The parts an emulated adapter knows, given as plain data when the emulator is made:
// the target setting names one, and CMD_CHECK_TARGET compares chip IDs by part index.
class EmulatedPartTable {
public:
    EmulatedPartTable() = default;
    explicit EmulatedPartTable(std::vector<EmulatedPart> parts) : parts_(std::move(parts)) {}

    // The part with this name, case ignored.
    std::optional<EmulatedPart> find(std::string_view name) const;
    // The chip ID of the part with this index; nothing for an index without a part.
    std::optional<std::uint32_t> chipIdOf(std::uint16_t index) const;
    const std::vector<EmulatedPart>& parts() const { return parts_; }

private:
    std::vector<EmulatedPart> parts_;
};

} // namespace halden
