#include "programmer/catalogue/PartSettings.h"

#include "common/SettingsStore.h"

#include <algorithm>

namespace halden {

bool PartSettings::apply(std::uint32_t partIndex, std::uint16_t languageIndex) {
    if (partIndex == record_.partIndex) {
        return false;
    }
    record_.reset();
    languageIndex_ = languageIndex;
    if (applyHook_) {
        applyHook_();
    }
    record_.partIndex = static_cast<std::uint16_t>(partIndex);
    record_.flashSize = catalogue_.number(partIndex, ChipCatalogue::kFlashSize);
    record_.optionCount =
        static_cast<std::uint8_t>(catalogue_.number(partIndex, ChipCatalogue::kOptionCount));
    record_.chipId = catalogue_.number(partIndex, ChipCatalogue::kChipId);
    record_.chipIdMask = catalogue_.number(partIndex, ChipCatalogue::kChipIdMask);
    for (std::size_t i = 0; i < record_.parameterBytes.size(); ++i) {
        record_.parameterBytes[i] = static_cast<std::uint8_t>(catalogue_.number(
            partIndex, static_cast<std::uint16_t>(ChipCatalogue::kParameter0 + i)));
    }
    record_.partName = catalogue_.partName(partIndex).value_or(std::u16string{});
    const auto defaults = catalogue_.defaultOptionBytes(partIndex);
    std::copy(defaults.begin(), defaults.end(), record_.optionBytes.begin());
    labelBoxes(languageIndex);
    show();
    return true;
}

void PartSettings::labelBoxes(std::uint16_t languageIndex) {
    for (std::size_t n = 0; n < boxes_.size(); ++n) {
        OptionCheckBox& box = boxes_[n];
        box = OptionCheckBox{};
        const auto row = catalogue_.optionRow(record_.partIndex, n);
        if (!row) {
            continue;
        }
        box.enabled = true;
        box.byteIndex = row->byteIndex;
        box.mask = row->mask;
        box.label = row->label;
        // Language k > 0 takes the description k places after the English one, if given.
        const std::size_t wanted = languageIndex < row->descriptions.size() ? languageIndex : 0;
        if (!row->descriptions.empty()) {
            box.tooltip = row->descriptions[wanted];
        }
    }
}

void PartSettings::restoreOptions(
    const std::array<std::uint8_t, PartRecord::kOptionImageSize>& bytes) {
    record_.optionBytes = bytes;
    record_.defaultsFlag = 0;
    labelBoxes(languageIndex_);
    show();
}

void PartSettings::setBox(std::size_t n, bool ticked) {
    if (n < boxes_.size()) {
        boxes_[n].ticked = ticked;
        build();
    }
}

void PartSettings::build() {
    OptionLayout::build(layout(), boxes_, record_.optionBytes);
}

void PartSettings::show() {
    OptionLayout::show(layout(), boxes_, record_.optionBytes);
}

void PartSettings::save(SettingsStore& settings, std::uint32_t selectedPartIndex) {
    build();
    settings.writeInt("Settings", "BodyID", static_cast<int>(selectedPartIndex));
    settings.writeBinary(
        "Settings", "pOR",
        std::span<const std::uint8_t>(record_.optionBytes.data(), record_.optionCount));
}

} // namespace halden
