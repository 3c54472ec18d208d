#include "programmer/programming/FlashComparison.h"

#include <algorithm>

namespace halden {

std::optional<FlashComparison::Difference>
FlashComparison::compare(std::span<const std::uint8_t> chip, std::span<const std::uint8_t> file) {
    constexpr std::uint8_t kErased = 0xFF;
    std::optional<Difference> difference;
    const std::size_t length = std::max(chip.size(), file.size());
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t c = i < chip.size() ? chip[i] : kErased;
        const std::uint8_t f = i < file.size() ? file[i] : kErased;
        if (c == f && i < chip.size() && i < file.size()) {
            continue;
        }
        if (!difference) {
            difference = Difference{static_cast<std::uint32_t>(i), c, f, 0};
        }
        ++difference->count;
    }
    return difference;
}

std::optional<std::uint32_t> FlashComparison::firstNotBlank(std::span<const std::uint8_t> chip) {
    const auto it =
        std::find_if(chip.begin(), chip.end(), [](std::uint8_t b) { return b != 0xFF; });
    if (it == chip.end()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(it - chip.begin());
}

} // namespace halden
