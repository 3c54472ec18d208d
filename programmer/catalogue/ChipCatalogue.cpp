#include "programmer/catalogue/ChipCatalogue.h"

#include <algorithm>

namespace halden {

namespace {

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

std::vector<std::u16string_view> split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const auto bar = text.find(separator, start);
        fields.push_back(text.substr(start, bar == std::u16string_view::npos ? bar : bar - start));
        if (bar == std::u16string_view::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

// A number in the descriptors' syntax that fills its whole field (spaces aside).
std::optional<std::uint32_t> strictNumber(std::u16string_view field) {
    const auto first = field.find_first_not_of(u" \t");
    const auto last = field.find_last_not_of(u" \t");
    if (first == std::u16string_view::npos) {
        return std::nullopt;
    }
    const auto token = field.substr(first, last - first + 1);
    bool hex = token.size() > 2 && token[0] == u'0' && lower(token[1]) == u'x';
    for (std::size_t i = hex ? 2 : 0; i < token.size(); ++i) {
        const char16_t c = lower(token[i]);
        const bool digit = (c >= u'0' && c <= u'9') || (hex && c >= u'a' && c <= u'f');
        if (!digit) {
            return std::nullopt;
        }
    }
    return KeyedTables::parseNumber(token);
}

} // namespace

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

bool startsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::optional<std::u16string> ChipCatalogue::string(std::uint32_t partIndex,
                                                    std::uint16_t key) const {
    return tables_.FindTableString(kFirstDescriptor + partIndex, key);
}

std::uint32_t ChipCatalogue::number(std::uint32_t partIndex, std::uint16_t key) const {
    return tables_.GetTableNumber(kFirstDescriptor + partIndex, key);
}

std::optional<std::u16string> ChipCatalogue::partName(std::uint32_t partIndex) const {
    auto name = string(partIndex, kName);
    if (name) {
        name->resize(std::min(name->size(), name->find(u' ')));
    }
    return name;
}

std::vector<std::uint32_t> ChipCatalogue::partIndices() const {
    std::vector<std::uint32_t> indices;
    for (std::uint32_t index = 0; index <= kLastPartIndex; ++index) {
        if (string(index, kName)) {
            indices.push_back(index);
        }
    }
    return indices;
}

std::optional<std::uint32_t> ChipCatalogue::findPart(std::u16string_view name) const {
    for (const std::uint32_t index : partIndices()) {
        if (equalsIgnoringCase(*partName(index), name)) {
            return index;
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> ChipCatalogue::parseByteList(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t pos = 0;
    while (bytes.size() < kOptionImageSize) {
        const auto start = text.find_first_not_of(u" ,;|", pos);
        if (start == std::u16string_view::npos) {
            break;
        }
        const auto end = std::min(text.find_first_of(u" ,;|", start), text.size());
        bytes.push_back(
            static_cast<std::uint8_t>(KeyedTables::parseNumber(text.substr(start, end - start))));
        pos = end;
    }
    return bytes;
}

std::vector<std::uint8_t> ChipCatalogue::defaultOptionBytes(std::uint32_t partIndex) const {
    const auto list = string(partIndex, kDefaultOptions);
    return list ? parseByteList(*list) : std::vector<std::uint8_t>{};
}

std::optional<ChipCatalogue::OptionRow> ChipCatalogue::parseOptionRow(std::u16string_view text) {
    const auto fields = split(text, u'|');
    if (fields.size() < 3) {
        return std::nullopt;
    }
    const auto byteIndex = strictNumber(fields[0]);
    const auto mask = strictNumber(fields[1]);
    if (!byteIndex || !mask || *byteIndex >= kOptionImageSize) {
        return std::nullopt;
    }
    OptionRow row;
    row.byteIndex = *byteIndex;
    row.mask = *mask;
    row.label = std::u16string(fields[2]);
    for (std::size_t i = 3; i < fields.size(); ++i) {
        row.descriptions.emplace_back(fields[i]);
    }
    return row;
}

std::optional<ChipCatalogue::OptionRow> ChipCatalogue::optionRow(std::uint32_t partIndex,
                                                                 std::size_t row) const {
    if (row >= kOptionRowCount) {
        return std::nullopt;
    }
    const auto text = string(partIndex, static_cast<std::uint16_t>(kFirstOptionRow + row));
    return text ? parseOptionRow(*text) : std::nullopt;
}

} // namespace halden
