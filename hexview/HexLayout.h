#pragma once

#include <cstddef>

namespace halden {

// Where the bytes of the buffer sit on screen: rows of bytesPerLine bytes, each row an
// address column, a hex column and an ASCII column, in a fixed-pitch font.
//
// Horizontally in character cells: the address column is the address digits with one cell
// of padding either side; the hex column is one cell of padding, then per byte two digits
// and a space; the ASCII column is one cell of padding, a cell per byte, one cell of padding.
class HexLayout {
public:
    enum class Area { Address, Hex, Ascii };

    // The byte under a point; offset is not limited to the buffer's size.
    struct Hit {
        std::size_t offset;
        Area area;
        int nibble; // 0: the high digit, 1: the low digit; 0 outside the hex column
        bool operator==(const Hit&) const = default;
    };

    struct RowRange {
        std::size_t first;
        std::size_t count;
        bool operator==(const RowRange&) const = default;
    };

    static constexpr unsigned kMaxBytesPerLine = 256;
    static constexpr unsigned kMaxAddressDigits = 16;

    unsigned bytesPerLine() const { return bytesPerLine_; }
    unsigned addressDigits() const { return addressDigits_; }
    // 0 leaves a value unchanged; larger values than the maximum are limited to it.
    void setBytesPerLine(unsigned bytesPerLine);
    void setAddressDigits(unsigned digits);
    // The font's pitch and line height in pixels (each at least 1).
    void setMetrics(int charWidth, int lineHeight);
    int charWidth() const { return charWidth_; }
    int lineHeight() const { return lineHeight_; }

    std::size_t rowOf(std::size_t offset) const { return offset / bytesPerLine_; }
    unsigned columnOf(std::size_t offset) const {
        return static_cast<unsigned>(offset % bytesPerLine_);
    }
    std::size_t rowStart(std::size_t row) const { return row * bytesPerLine_; }
    // Rows that show size bytes and the position just past the last one, where typing appends.
    std::size_t rowCount(std::size_t size) const { return size / bytesPerLine_ + 1; }
    // Rows that fit entirely into a viewport height; at least 1.
    std::size_t pageRows(int viewportHeight) const;
    // The rows a viewport shows, the partly visible last row included, limited to rowCount.
    RowRange visibleRows(std::size_t firstRow, int viewportHeight, std::size_t rowCount) const;

    // Horizontal pixel positions from the left edge of a line.
    int addressX() const { return charWidth_; }
    int hexAreaX() const { return cells(addressDigits_ + 2); }
    int hexX(unsigned column) const { return hexAreaX() + cells(1 + 3 * column); }
    int asciiAreaX() const { return hexX(bytesPerLine_); }
    int asciiX(unsigned column) const { return asciiAreaX() + cells(1 + column); }
    int lineWidth() const { return asciiX(bytesPerLine_) + charWidth_; }

    // The byte under a point: x from the left edge of a line, y from the top of the first
    // shown row (negative above it). A point left of the hex column hits the row's first
    // byte; one right of the ASCII column hits the row's last byte.
    Hit hitTest(int x, int y, std::size_t firstRow) const;

private:
    int cells(unsigned count) const { return static_cast<int>(count) * charWidth_; }
    unsigned hexColumnAt(int x, int& nibble) const;
    unsigned asciiColumnAt(int x) const;
    std::size_t rowAt(int y, std::size_t firstRow) const;

    unsigned bytesPerLine_ = 16;
    unsigned addressDigits_ = 8;
    int charWidth_ = 1;
    int lineHeight_ = 1;
};

} // namespace halden
