#include "programmer/catalogue/PartList.h"

#include <algorithm>

namespace halden {

std::vector<PartList::Item> PartList::forSeries(const ChipCatalogue& catalogue,
                                                std::uint32_t series) {
    std::vector<Item> items;
    for (std::uint32_t index = 0; index <= ChipCatalogue::kLastPartIndex; ++index) {
        if (catalogue.number(index, ChipCatalogue::kSeries) != series) {
            continue;
        }
        const auto name = catalogue.partName(index);
        if (!name) {
            continue;
        }
        const auto before = std::find_if(items.begin(), items.end(), [&](const Item& item) {
            return (item.partIndex & 0x7F) > (index & 0x7F);
        });
        items.insert(before, Item{*name, index});
    }
    return items;
}

std::optional<std::size_t> PartList::findCommandLineName(const std::vector<Item>& items,
                                                         std::u16string_view name,
                                                         const std::function<void()>& malformed) {
    for (std::size_t step = 1; step <= items.size(); ++step) {
        const std::size_t i = step % items.size();
        if (startsWithIgnoringCase(items[i].name, name)) {
            return i;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        bool bad = false;
        if (matchesParenthesisForm(items[i].name, name, bad)) {
            return i;
        }
        if (bad && malformed) {
            malformed();
        }
    }
    return std::nullopt;
}

bool PartList::matchesParenthesisForm(std::u16string_view text, std::u16string_view name,
                                      bool& malformed) {
    const auto open = text.find(u'(');
    if (open == std::u16string_view::npos) {
        return false;
    }
    const auto close = text.find(u')', open);
    if (close == std::u16string_view::npos) {
        malformed = true;
        return false;
    }
    const std::u16string_view before = text.substr(0, open);
    const std::u16string_view inside = text.substr(open + 1, close - open - 1);
    const std::u16string_view after = text.substr(close + 1);
    const std::u16string withoutParentheses = std::u16string(before) + std::u16string(after);
    // The text inside replaces as many characters at the end of the text before it.
    const std::size_t kept = before.size() - std::min(before.size(), inside.size());
    const std::u16string alternative =
        std::u16string(before.substr(0, kept)) + std::u16string(inside) + std::u16string(after);
    return equalsIgnoringCase(withoutParentheses, name) || equalsIgnoringCase(alternative, name);
}

std::optional<std::size_t> PartList::findPartIndex(const std::vector<Item>& items,
                                                   std::uint32_t partIndex) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].partIndex == partIndex) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace halden
