#include "hexview/HexLayout.h"

#include <algorithm>

namespace halden {

void HexLayout::setBytesPerLine(unsigned bytesPerLine) {
    if (bytesPerLine != 0) {
        bytesPerLine_ = std::min(bytesPerLine, kMaxBytesPerLine);
    }
}

void HexLayout::setAddressDigits(unsigned digits) {
    if (digits != 0) {
        addressDigits_ = std::min(digits, kMaxAddressDigits);
    }
}

void HexLayout::setMetrics(int charWidth, int lineHeight) {
    charWidth_ = std::max(charWidth, 1);
    lineHeight_ = std::max(lineHeight, 1);
}

std::size_t HexLayout::pageRows(int viewportHeight) const {
    return static_cast<std::size_t>(std::max(viewportHeight / lineHeight_, 1));
}

HexLayout::RowRange HexLayout::visibleRows(std::size_t firstRow, int viewportHeight,
                                           std::size_t rowCount) const {
    if (firstRow >= rowCount || viewportHeight <= 0) {
        return {std::min(firstRow, rowCount), 0};
    }
    const auto shown = static_cast<std::size_t>((viewportHeight + lineHeight_ - 1) / lineHeight_);
    return {firstRow, std::min(shown, rowCount - firstRow)};
}

HexLayout::Hit HexLayout::hitTest(int x, int y, std::size_t firstRow) const {
    const std::size_t rowOffset = rowStart(rowAt(y, firstRow));
    if (x < hexAreaX()) {
        return {rowOffset, Area::Address, 0};
    }
    if (x < asciiAreaX()) {
        int nibble = 0;
        const unsigned column = hexColumnAt(x, nibble);
        return {rowOffset + column, Area::Hex, nibble};
    }
    return {rowOffset + asciiColumnAt(x), Area::Ascii, 0};
}

// A byte's cell triple is its two digits and the space after them; the space counts as
// the low digit, so a click there edits the byte it follows.
unsigned HexLayout::hexColumnAt(int x, int& nibble) const {
    const int relative = std::max(x - hexX(0), 0);
    const int column = relative / cells(3);
    nibble = relative % cells(3) >= charWidth_ ? 1 : 0;
    return std::min(static_cast<unsigned>(column), bytesPerLine_ - 1);
}

unsigned HexLayout::asciiColumnAt(int x) const {
    const int column = std::max(x - asciiX(0), 0) / charWidth_;
    return std::min(static_cast<unsigned>(column), bytesPerLine_ - 1);
}

std::size_t HexLayout::rowAt(int y, std::size_t firstRow) const {
    if (y >= 0) {
        return firstRow + static_cast<std::size_t>(y / lineHeight_);
    }
    const auto above = static_cast<std::size_t>((-y + lineHeight_ - 1) / lineHeight_);
    return firstRow > above ? firstRow - above : 0;
}

} // namespace halden
