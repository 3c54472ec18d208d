#include "programmer/form/FormTextCells.h"

namespace halden {

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// The wide and full-width blocks of East Asian text (Hangul Jamo, CJK and its symbols,
// Hangul syllables, compatibility ideographs, full-width forms, the supplementary
// ideographic planes).
constexpr Range kWide[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD},
};

bool isHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The character at `offset` and how many units it takes.
std::pair<char32_t, std::size_t> characterAt(std::u16string_view line, std::size_t offset) {
    const char16_t unit = line[offset];
    if (isHigh(unit) && offset + 1 < line.size() && isLow(line[offset + 1])) {
        const char32_t character =
            0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (line[offset + 1] - 0xDC00);
        return {character, 2};
    }
    return {unit, 1};
}

} // namespace

int FormTextCells::cellsOf(char32_t character) {
    for (const Range& range : kWide) {
        if (character >= range.first && character <= range.last) {
            return 2;
        }
    }
    return 1;
}

std::vector<FormTextCells::Glyph> FormTextCells::layout(std::u16string_view line) {
    std::vector<Glyph> glyphs;
    int column = 0;
    for (std::size_t offset = 0; offset < line.size();) {
        const auto [character, units] = characterAt(line, offset);
        const int cells = cellsOf(character);
        if (character != u' ') {
            glyphs.push_back({offset, units, column, cells});
        }
        column += cells;
        offset += units;
    }
    return glyphs;
}

int FormTextCells::width(std::u16string_view line) {
    int column = 0;
    for (std::size_t offset = 0; offset < line.size();) {
        const auto [character, units] = characterAt(line, offset);
        column += cellsOf(character);
        offset += units;
    }
    return column;
}

} // namespace halden
