#pragma once

#include <string_view>
#include <vector>

namespace halden {

// Where each character of a form line stands on the page's grid of cells: one cell for
// each character, two for a wide East Asian one, as a fixed-pitch page lays them out.
// Placing every character at its own cell keeps the text on the ruled lines whatever
// the font's own advance is (a 7.2-pixel advance in a 7-pixel cell drifts by a whole
// cell every five characters).
class FormTextCells {
public:
    struct Glyph {
        std::size_t offset = 0; // first UTF-16 unit of the character
        std::size_t units = 1;  // 2 for a surrogate pair
        int column = 0;         // first cell of the character
        int cells = 1;
        bool operator==(const Glyph&) const = default;
    };

    // Every character of the line but spaces, which draw nothing; an unpaired
    // surrogate counts as one narrow character.
    static std::vector<Glyph> layout(std::u16string_view line);
    // The cells the whole line covers, trailing spaces included.
    static int width(std::u16string_view line);
    // 2 for a character that East Asian text shows double wide, otherwise 1.
    static int cellsOf(char32_t character);
};

} // namespace halden
