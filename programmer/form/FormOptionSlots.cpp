#include "programmer/form/FormOptionSlots.h"

#include "programmer/catalogue/ChipCatalogue.h"

#include <initializer_list>
#include <optional>

namespace halden {

namespace {

using Layout = FormOptionSlots::Layout;
using Slot = FormOptionSlots::Slot;
using Row = ChipCatalogue::OptionRow;

class OptionArea {
public:
    explicit OptionArea(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t operator[](std::size_t index) const {
        return index < bytes_.size() ? bytes_[index] : 0xFF;
    }
    std::uint8_t bits(const Row& row) const {
        return static_cast<std::uint8_t>((*this)[row.byteIndex] & row.mask);
    }
    bool all(std::initializer_list<std::size_t> indices, std::uint8_t value) const {
        for (const std::size_t index : indices) {
            if ((*this)[index] != value) {
                return false;
            }
        }
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// A slot that a layout reads: the row's short name and the mark; an absent row shows
// nothing.
Slot readSlot(const std::optional<Row>& row, bool ticked) {
    if (!row) {
        return {};
    }
    return {row->label, ticked ? std::u16string(FormOptionSlots::kTicked) : std::u16string()};
}

// A slot past the layout's rows: the filler when the part has no such row, otherwise
// empty.
Slot fillerSlot(bool present) {
    if (present) {
        return {};
    }
    return {std::u16string(FormOptionSlots::kFillerName),
            std::u16string(FormOptionSlots::kFillerMark)};
}

struct Rows {
    // Parsed rows; a malformed one is as good as absent to the slots that read it.
    std::array<std::optional<Row>, FormOptionSlots::kCount> parsed;
    // Whether the descriptor has the row's key at all.
    std::array<bool, FormOptionSlots::kCount> present{};
};

void computeDelta(FormOptionSlots::Slots& slots, const Rows& all, const OptionArea& b,
                  bool firstBoxEnabled) {
    const auto& rows = all.parsed;
    if (firstBoxEnabled) {
        const bool open = (b[16] & 0x0F) == 0x0C && b.all({0, 1, 32, 33}, 0);
        slots[0] = readSlot(rows[0], !open);
    }
    for (const std::size_t n : {1, 2}) {
        slots[n] = readSlot(rows[n], rows[n] && b.bits(*rows[n]) != 0x0C);
    }
    slots[3] = readSlot(rows[3], !b.all({48, 49, 50, 51}, 0xFF));
    for (const std::size_t n : {4, 5, 6}) {
        slots[n] = readSlot(rows[n], rows[n] && b.bits(*rows[n]) != 0);
    }
    for (std::size_t n = 7; n < FormOptionSlots::kCount; ++n) {
        slots[n] = fillerSlot(all.present[n]);
    }
}

void computeEpsilon(FormOptionSlots::Slots& slots, const Rows& all, const OptionArea& b,
                    bool firstBoxEnabled) {
    const auto& rows = all.parsed;
    if (firstBoxEnabled) {
        slots[0] = readSlot(rows[0], !(b[0] == 0xA5 && b[1] == 0x5A));
    }
    slots[1] = readSlot(rows[1], b.all({8, 10, 12, 14}, 0));
    slots[2] = readSlot(rows[2], rows[2] && b.bits(*rows[2]) != 0);
    for (const std::size_t n : {3, 4}) {
        slots[n] = readSlot(rows[n], rows[n] && b.bits(*rows[n]) == 0);
    }
    for (std::size_t n = 5; n < FormOptionSlots::kCount; ++n) {
        slots[n] = fillerSlot(all.present[n]);
    }
}

} // namespace

FormOptionSlots::Layout FormOptionSlots::layoutFor(std::uint32_t selectedPartIndex) {
    switch (selectedPartIndex) {
    case 36:
    case 37:
    case 38:
    case 39:
        return Layout::Delta;
    case 42:
    case 45:
        return Layout::Epsilon;
    default:
        return Layout::None;
    }
}

FormOptionSlots::Slots FormOptionSlots::compute(Layout layout, const ChipCatalogue& catalogue,
                                                std::uint32_t filePartIndex,
                                                std::span<const std::uint8_t> optionArea,
                                                bool firstBoxEnabled) {
    Rows rows;
    for (std::size_t n = 0; n < kCount; ++n) {
        const auto text = catalogue.string(
            filePartIndex, static_cast<std::uint16_t>(ChipCatalogue::kFirstOptionRow + n));
        rows.present[n] = text.has_value();
        if (text) {
            rows.parsed[n] = ChipCatalogue::parseOptionRow(*text);
        }
    }
    Slots slots;
    const OptionArea area(optionArea);
    if (layout == Layout::Delta) {
        computeDelta(slots, rows, area, firstBoxEnabled);
    } else if (layout == Layout::Epsilon) {
        computeEpsilon(slots, rows, area, firstBoxEnabled);
    }
    return slots;
}

} // namespace halden
