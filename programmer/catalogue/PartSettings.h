#pragma once

#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/catalogue/OptionLayout.h"
#include "programmer/catalogue/PartRecord.h"

#include <cstdint>
#include <functional>

namespace halden {

class SettingsStore;

// The applied part and its option check boxes: applying a part fills the record and
// labels the boxes from the part's descriptor; the two refresh directions keep boxes
// and option bytes in step through the part's layout. The main window and the
// command line run the same steps.
class PartSettings {
public:
    using Boxes = OptionLayout::Boxes;

    explicit PartSettings(const ChipCatalogue& catalogue) : catalogue_(catalogue) {
        record_.reset();
    }

    // Applies part `partIndex` unless it is the one applied already; true when applied.
    bool apply(std::uint32_t partIndex, std::uint16_t languageIndex = 0);
    std::uint16_t languageIndex() const { return languageIndex_; }
    // Called at every apply, before the record is filled (the project record resets there).
    void setApplyHook(std::function<void()> hook) { applyHook_ = std::move(hook); }
    // Option bytes that a project file supplied: stored, boxes labelled anew (unticked)
    // and set from them; the defaults flag drops to 0.
    void restoreOptions(const std::array<std::uint8_t, PartRecord::kOptionImageSize>& bytes);

    // Makes the next apply run even for the part already applied.
    void forceNextApply() { record_.partIndex = PartRecord::kForceApply; }

    // Box n clicked: tick or untick it and build the option bytes.
    void setBox(std::size_t n, bool ticked);
    // Writes the boxes into the option bytes (nothing for parts without a layout).
    void build();
    // Sets the boxes from the option bytes (nothing for parts without a layout).
    void show();

    // Builds the option bytes, then saves "BodyID" (the selected part list item's part
    // index) and "pOR" (the option bytes, option-byte count of them).
    void save(SettingsStore& settings, std::uint32_t selectedPartIndex);

    const PartRecord& record() const { return record_; }
    PartRecord& record() { return record_; }
    const Boxes& boxes() const { return boxes_; }
    OptionLayout::Kind layout() const { return OptionLayout::forPart(record_.partIndex); }
    const ChipCatalogue& catalogue() const { return catalogue_; }

private:
    void labelBoxes(std::uint16_t languageIndex);

    const ChipCatalogue& catalogue_;
    std::function<void()> applyHook_;
    PartRecord record_;
    Boxes boxes_{};
    std::uint16_t languageIndex_ = 0;
};

} // namespace halden
