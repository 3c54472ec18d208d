#pragma once

#include "programmer/text/KeyedTables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// The chip descriptors: one keyed table per part, resource 4096 + part index.
class ChipCatalogue {
public:
    static constexpr std::uint32_t kFirstDescriptor = 4096;
    static constexpr std::uint32_t kLastPartIndex = 4094;
    static constexpr std::size_t kOptionImageSize = 260;
    static constexpr std::size_t kOptionRowCount = 12;

    enum Key : std::uint16_t {
        kName = 0,
        kFlashSize = 1,
        kOptionCount = 2,
        kDefaultOptions = 15,
        kSeries = 21,
        kIapAddress = 22,
        kParameter0 = 24,
        kParameter1 = 25,
        kParameter2 = 26,
        kChipId = 162,
        kChipIdMask = 163,
        kFirstOptionRow = 256,
    };

    // Option row n (key 256 + n): which bits box n stands for, its label and tooltips.
    struct OptionRow {
        std::uint32_t byteIndex = 0;
        std::uint32_t mask = 0;
        std::u16string label;
        // The description in English, then in the further languages, as given.
        std::vector<std::u16string> descriptions;
    };

    explicit ChipCatalogue(const KeyedTables& tables) : tables_(tables) {}

    std::optional<std::u16string> string(std::uint32_t partIndex, std::uint16_t key) const;
    std::uint32_t number(std::uint32_t partIndex, std::uint16_t key) const;

    // Key 0 up to its first space; nothing when the part has no descriptor.
    std::optional<std::u16string> partName(std::uint32_t partIndex) const;
    // Every part index with a name, ascending.
    std::vector<std::uint32_t> partIndices() const;
    // The part whose name equals `name` ignoring case.
    std::optional<std::uint32_t> findPart(std::u16string_view name) const;

    // Key 15: the default option bytes, at most kOptionImageSize of them.
    std::vector<std::uint8_t> defaultOptionBytes(std::uint32_t partIndex) const;
    // Nothing when the row is absent or malformed (fewer than three fields, a number
    // that does not parse, or a byte index outside the option image).
    std::optional<OptionRow> optionRow(std::uint32_t partIndex, std::size_t row) const;

    // Key 15's list syntax: numbers split at runs of " ,;|", each cut to 8 bits.
    static std::vector<std::uint8_t> parseByteList(std::u16string_view text);
    static std::optional<OptionRow> parseOptionRow(std::u16string_view text);

    const KeyedTables& tables() const { return tables_; }

private:
    const KeyedTables& tables_;
};

// Case-insensitive comparison of part names (ASCII letters).
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);
bool startsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix);

} // namespace halden
