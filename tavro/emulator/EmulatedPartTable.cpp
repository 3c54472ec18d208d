#include "tavro/emulator/EmulatedPartTable.h"

#include <algorithm>
#include <cctype>

namespace halden {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<EmulatedPart> EmulatedPartTable::find(std::string_view name) const {
    const auto found = std::find_if(parts_.begin(), parts_.end(), [name](const EmulatedPart& part) {
        return equalsIgnoringCase(part.name, name);
    });
    return found == parts_.end() ? std::nullopt : std::optional<EmulatedPart>(*found);
}

std::optional<std::uint32_t> EmulatedPartTable::chipIdOf(std::uint16_t index) const {
    const auto found =
        std::find_if(parts_.begin(), parts_.end(),
                     [index](const EmulatedPart& part) { return part.index == index; });
    return found == parts_.end() ? std::nullopt : std::optional<std::uint32_t>(found->chipId);
}

} // namespace halden
