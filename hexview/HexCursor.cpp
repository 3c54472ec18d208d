#include "hexview/HexCursor.h"

#include <algorithm>

namespace halden {

namespace {

std::size_t rowsUp(std::size_t position, std::size_t rows, unsigned bytesPerLine) {
    const std::size_t step = rows * bytesPerLine;
    return position >= step ? position - step : position % bytesPerLine;
}

std::size_t rowsDown(std::size_t position, std::size_t rows, unsigned bytesPerLine,
                     std::size_t size) {
    const std::size_t step = rows * bytesPerLine;
    return size - position > step ? position + step : size;
}

} // namespace

HexCursor::Range HexCursor::selection() const {
    return {std::min(anchor_, position_), std::max(anchor_, position_)};
}

void HexCursor::moveTo(std::size_t position, bool extend, int nibble) {
    position_ = position;
    nibble_ = nibble;
    if (!extend) {
        anchor_ = position;
    }
}

void HexCursor::move(Move move, std::size_t size, Rows rows, bool extend) {
    moveTo(target(move, position_, size, rows), extend);
}

void HexCursor::select(std::size_t anchor, std::size_t position) {
    anchor_ = anchor;
    position_ = position;
    nibble_ = 0;
}

void HexCursor::advanceNibble() {
    if (nibble_ == 0) {
        nibble_ = 1;
    } else {
        nibble_ = 0;
        anchor_ = ++position_;
    }
}

void HexCursor::toggleColumn() {
    column_ = column_ == Column::Hex ? Column::Ascii : Column::Hex;
    nibble_ = 0;
}

void HexCursor::clamp(std::size_t size) {
    if (position_ >= size) {
        position_ = size;
        nibble_ = 0;
    }
    anchor_ = std::min(anchor_, size);
}

std::size_t HexCursor::target(Move move, std::size_t position, std::size_t size, Rows rows) {
    const unsigned perLine = rows.bytesPerLine;
    const std::size_t lineStart = position - position % perLine;
    switch (move) {
    case Move::Left:
        return position > 0 ? position - 1 : 0;
    case Move::Right:
        return std::min(position + 1, size);
    case Move::Up:
        return rowsUp(position, 1, perLine);
    case Move::Down:
        return rowsDown(position, 1, perLine, size);
    case Move::PageUp:
        return rowsUp(position, rows.pageRows, perLine);
    case Move::PageDown:
        return rowsDown(position, rows.pageRows, perLine, size);
    case Move::LineStart:
        return lineStart;
    case Move::LineEnd:
        return std::min(lineStart + perLine - 1, size);
    case Move::DocumentStart:
        return 0;
    case Move::DocumentEnd:
        return size;
    }
    return position;
}

} // namespace halden
