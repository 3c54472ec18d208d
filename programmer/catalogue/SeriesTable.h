#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace halden {

// The chip series the programmer knows, in their built-in order. Only listed series
// appear in the series list; a part belongs to the series whose number is its key 21.
class SeriesTable {
public:
    struct Series {
        bool listed;
        std::uint32_t number;
        std::u16string_view name;
    };

    static constexpr std::array<Series, 5> kSeries = {{
        {false, 1, u"RQ-Alpha Series"},
        {false, 2, u"RQ-Beta Series"},
        {false, 3, u"RQ-Gamma Series"},
        {true, 4, u"RQ-Delta Series"},
        {true, 5, u"RQ-Epsilon Series"},
    }};

    // The name of series `number`; nothing for an unknown number.
    static std::optional<std::u16string_view> nameOf(std::uint32_t number) {
        for (const auto& series : kSeries) {
            if (series.number == number) {
                return series.name;
            }
        }
        return std::nullopt;
    }
};

} // namespace halden
