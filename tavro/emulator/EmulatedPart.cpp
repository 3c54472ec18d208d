#include "EmulatedPart.h"

#include "ChipCatalogue.h"
#include "KeyedTables.h"
#include "ProgrammerResources.h"

namespace halden {

namespace {

const ChipCatalogue& catalogue() {
    static const KeyedTables tables(ProgrammerResources::directory());
    static const ChipCatalogue instance(tables);
    return instance;
}

} // namespace

std::optional<EmulatedPart> EmulatedPart::fromCatalogue(const std::string& name) {
    const std::u16string wide(name.begin(), name.end());
    const auto index = catalogue().findPart(wide);
    if (!index) {
        return std::nullopt;
    }
    return EmulatedPart{static_cast<std::uint16_t>(*index),
                        catalogue().number(*index, ChipCatalogue::kChipId),
                        catalogue().number(*index, ChipCatalogue::kFlashSize),
                        catalogue().number(*index, ChipCatalogue::kOptionCount)};
}

EmulatedPart::ChipIdLookup EmulatedPart::catalogueChipIds() {
    return [](std::uint16_t index) -> std::optional<std::uint32_t> {
        if (!catalogue().partName(index)) {
            return std::nullopt;
        }
        return catalogue().number(index, ChipCatalogue::kChipId);
    };
}

} // namespace halden
