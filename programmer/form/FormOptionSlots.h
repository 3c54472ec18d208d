#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace halden {

class ChipCatalogue;

// The fourteen option slots of the request form: a short name and a mark for each,
// computed from a project file's option area by the layout of the selected part.
class FormOptionSlots {
public:
    static constexpr std::size_t kCount = 14;
    static constexpr std::u16string_view kFillerName = u" - ";
    static constexpr std::u16string_view kFillerMark = u"   -    ";
    static constexpr std::u16string_view kTicked = u"V";

    enum class Layout { None, Delta, Epsilon };

    struct Slot {
        std::u16string name;
        std::u16string mark;
        bool operator==(const Slot&) const = default;
    };
    using Slots = std::array<Slot, kCount>;

    // The layout that the selected part's index chooses.
    static Layout layoutFor(std::uint32_t selectedPartIndex);

    // Names from the option rows of `filePartIndex`, marks from `optionArea` (option byte
    // n at offset n; bytes past its end read as 0xFF). `firstBoxEnabled`: whether the main
    // window's first option box is enabled, which decides whether slot 0 is filled.
    static Slots compute(Layout layout, const ChipCatalogue& catalogue, std::uint32_t filePartIndex,
                         std::span<const std::uint8_t> optionArea, bool firstBoxEnabled);
};

} // namespace halden
