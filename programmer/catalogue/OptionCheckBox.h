#pragma once

#include <cstdint>
#include <string>

namespace halden {

// The state of one of the twelve option check boxes: the bits its descriptor row
// gives it (0 and 0 without a row), its label, tooltip and tick.
struct OptionCheckBox {
    static constexpr std::size_t kCount = 12;

    bool enabled = false;
    bool ticked = false;
    std::uint32_t byteIndex = 0;
    std::uint32_t mask = 0;
    std::u16string label;
    std::u16string tooltip;
};

} // namespace halden
