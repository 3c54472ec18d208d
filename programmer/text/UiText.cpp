#include "programmer/text/UiText.h"

#include <algorithm>

namespace halden {

std::optional<std::u16string> UiText::entry(std::uint16_t id) const {
    return tables_.FindTableString(kFirstTable + languageIndex_, id);
}

std::u16string UiText::text(std::uint16_t id) const {
    return entry(id).value_or(std::u16string{});
}

std::optional<std::u16string> UiText::controlText(std::uint16_t id) const {
    auto value = entry(id);
    if (value) {
        value->resize(std::min(value->size(), value->find(u'|')));
    }
    return value;
}

std::u16string UiText::own(OwnTextId id,
                           std::initializer_list<std::u16string_view> arguments) const {
    const auto key = static_cast<std::uint16_t>(id);
    auto entry = tables_.FindTableString(kFirstOwnTable + languageIndex_, key);
    if (!entry) {
        entry = tables_.FindTableString(kFirstOwnTable, key);
    }
    const std::u16string pattern = entry.value_or(std::u16string{});
    std::u16string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        const std::size_t index = static_cast<std::size_t>(next - u'1');
        if (pattern[i] == u'%' && next >= u'1' && next <= u'9' && index < arguments.size()) {
            out += *(arguments.begin() + index);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::u16string UiText::tooltip(std::uint16_t id) const {
    const auto value = entry(id);
    const auto bar = value ? value->find(u'|') : std::u16string::npos;
    return bar == std::u16string::npos ? std::u16string{} : value->substr(bar + 1);
}

} // namespace halden
