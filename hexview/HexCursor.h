#pragma once

#include <cstddef>

namespace halden {

// The edit position and the selection. The position runs from 0 to the buffer's size:
// the position just past the last byte is where typing appends. The selection is the
// half-open range between the anchor and the position.
class HexCursor {
public:
    enum class Column { Hex, Ascii };
    enum class Move {
        Left,
        Right,
        Up,
        Down,
        PageUp,
        PageDown,
        LineStart,
        LineEnd,
        DocumentStart,
        DocumentEnd
    };

    struct Range {
        std::size_t begin;
        std::size_t end;
        std::size_t size() const { return end - begin; }
        bool empty() const { return begin == end; }
        bool operator==(const Range&) const = default;
    };

    // How the rows are cut, for moves that cross rows.
    struct Rows {
        unsigned bytesPerLine;
        std::size_t pageRows;
    };

    std::size_t position() const { return position_; }
    std::size_t anchor() const { return anchor_; }
    // 0: the next hex digit typed replaces the high half of the byte, 1: the low half.
    int nibble() const { return nibble_; }
    Column column() const { return column_; }
    Range selection() const;
    bool hasSelection() const { return anchor_ != position_; }

    // With extend the anchor stays, so the selection grows or shrinks; without, it collapses.
    void moveTo(std::size_t position, bool extend, int nibble = 0);
    void move(Move move, std::size_t size, Rows rows, bool extend);
    void select(std::size_t anchor, std::size_t position);
    // After a hex digit: from the high half to the low half, from the low half to the next byte.
    void advanceNibble();
    void setColumn(Column column) { column_ = column; }
    void toggleColumn();
    // Keeps position and anchor inside a buffer that shrank to size bytes.
    void clamp(std::size_t size);

    // Where a move from position lands in a buffer of size bytes. Up and down keep the
    // column where they can; a move never leaves 0..size.
    static std::size_t target(Move move, std::size_t position, std::size_t size, Rows rows);

private:
    std::size_t position_ = 0;
    std::size_t anchor_ = 0;
    int nibble_ = 0;
    Column column_ = Column::Hex;
};

} // namespace halden
