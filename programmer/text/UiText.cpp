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

std::u16string UiText::tooltip(std::uint16_t id) const {
    const auto value = entry(id);
    const auto bar = value ? value->find(u'|') : std::u16string::npos;
    return bar == std::u16string::npos ? std::u16string{} : value->substr(bar + 1);
}

} // namespace halden
