#pragma once

#include "programmer/text/KeyedTables.h"
#include "programmer/text/OwnTextId.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace halden {

// The UI texts: entries of text table 256 + languageIndex. An entry may carry a
// tooltip after a vertical bar; a control shows only the text before the first "|".
//
// The programmer's own texts, which the system's tables do not hold, come from the own
// text tables 512 + languageIndex in the same way.
class UiText {
public:
    static constexpr std::uint32_t kFirstTable = 256;
    static constexpr std::uint32_t kFirstOwnTable = 512;

    explicit UiText(const KeyedTables& tables, std::uint16_t languageIndex = 0)
        : tables_(tables), languageIndex_(languageIndex) {}

    void setLanguageIndex(std::uint16_t index) { languageIndex_ = index; }
    std::uint16_t languageIndex() const { return languageIndex_; }

    // The whole entry; nothing when absent.
    std::optional<std::u16string> entry(std::uint16_t id) const;
    // The entry, or an empty text when absent (as a message box shows a missing text).
    std::u16string text(std::uint16_t id) const;
    // The part before the first "|"; nothing when the entry is absent.
    std::optional<std::u16string> controlText(std::uint16_t id) const;
    // The part after the first "|"; empty when there is none.
    std::u16string tooltip(std::uint16_t id) const;

    // An own text in the language, "%1" to "%9" replaced by the arguments in turn; the
    // English entry where the language has none, so a text is never lost.
    std::u16string own(OwnTextId id,
                       std::initializer_list<std::u16string_view> arguments = {}) const;

    const KeyedTables& tables() const { return tables_; }

private:
    const KeyedTables& tables_;
    std::uint16_t languageIndex_;
};

} // namespace halden
