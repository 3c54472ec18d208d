#pragma once

#include "programmer/catalogue/ChipCatalogue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// The part list of one series, as the main window shows it, and the start-up
// search for a part named on the command line.
class PartList {
public:
    struct Item {
        std::u16string name;
        std::uint32_t partIndex;
        bool operator==(const Item&) const = default;
    };

    // The parts whose key 21 is `series`, ordered by part index modulo 128; parts with
    // equal remainders stay in ascending index order.
    static std::vector<Item> forSeries(const ChipCatalogue& catalogue, std::uint32_t series);

    // The item a command-line name selects: first the list's own prefix search, started
    // after item 0 and wrapping round to it; then the parenthesis forms of each item's
    // text ("RQE-1(2)" stands for RQE-1 and RQE-2). `malformed` is called for an item with
    // "(" but no ")" after it, and the search goes on.
    static std::optional<std::size_t>
    findCommandLineName(const std::vector<Item>& items, std::u16string_view name,
                        const std::function<void()>& malformed = {});

    // The item carrying `partIndex` as its data.
    static std::optional<std::size_t> findPartIndex(const std::vector<Item>& items,
                                                    std::uint32_t partIndex);

private:
    static bool matchesParenthesisForm(std::u16string_view text, std::u16string_view name,
                                       bool& malformed);
};

} // namespace halden
