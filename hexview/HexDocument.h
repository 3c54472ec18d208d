#pragma once

#include "hexview/HexBuffer.h"
#include "hexview/HexCursor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace halden {

// The editing model of the view: the buffer and the cursor, and what each edit does to them.
// Editing overwrites: bytes keep their addresses, typing past the end appends up to the
// capacity, and only deleting moves bytes. Each edit returns whether it changed the buffer.
class HexDocument {
public:
    explicit HexDocument(std::size_t capacity) : buffer_(capacity) {}

    const HexBuffer& buffer() const { return buffer_; }
    const HexCursor& cursor() const { return cursor_; }

    // Replaces the buffer as setData does; the cursor returns to the start.
    std::size_t replace(const std::uint8_t* bytes, std::size_t count);
    // Returns true if the buffer held data.
    bool clear();
    // Returns true if a longer buffer was cut.
    bool setCapacity(std::size_t capacity);

    void moveCursor(HexCursor::Move move, HexCursor::Rows rows, bool extend);
    // Places the cursor on a byte; a position past the end lands at the end.
    void placeCursor(std::size_t position, HexCursor::Column column, int nibble, bool extend);
    // Selects from the anchor byte to the byte under the mouse, both included.
    void selectBytes(std::size_t anchorByte, std::size_t currentByte);
    void selectAll();
    void toggleColumn() { cursor_.toggleColumn(); }
    std::vector<std::uint8_t> selectedBytes() const;

    // One hex digit (0..15) into the current half of the byte at the cursor. A byte that
    // typing appends starts erased (0xFF), as flash does.
    bool typeHexDigit(unsigned value);
    // One byte from the ASCII column.
    bool typeByte(std::uint8_t byte);
    // Overwrites from the selection's start, or from the cursor, as far as the capacity allows.
    bool paste(const std::vector<std::uint8_t>& bytes);
    // Removes the selection; with none, the byte at the cursor (forward) or before it.
    bool deleteForward();
    bool deleteBackward();
    bool deleteSelection();

private:
    // Where typing and pasting start: the selection's start, which also drops the selection.
    std::size_t editStart();
    bool writeByte(std::size_t offset, std::uint8_t byte);

    HexBuffer buffer_;
    HexCursor cursor_;
};

} // namespace halden
