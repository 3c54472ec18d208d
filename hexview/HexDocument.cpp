#include "hexview/HexDocument.h"

#include <algorithm>

namespace halden {

std::size_t HexDocument::replace(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t size = buffer_.assign(bytes, count);
    cursor_.moveTo(0, false);
    return size;
}

bool HexDocument::clear() {
    const bool held = !buffer_.empty();
    buffer_.clear();
    cursor_.moveTo(0, false);
    return held;
}

bool HexDocument::setCapacity(std::size_t capacity) {
    const bool cut = buffer_.setCapacity(capacity);
    cursor_.clamp(buffer_.size());
    return cut;
}

void HexDocument::moveCursor(HexCursor::Move move, HexCursor::Rows rows, bool extend) {
    cursor_.move(move, buffer_.size(), rows, extend);
}

void HexDocument::placeCursor(std::size_t position, HexCursor::Column column, int nibble,
                              bool extend) {
    if (position >= buffer_.size()) {
        position = buffer_.size();
        nibble = 0;
    }
    cursor_.setColumn(column);
    cursor_.moveTo(position, extend, column == HexCursor::Column::Hex ? nibble : 0);
}

void HexDocument::selectBytes(std::size_t anchorByte, std::size_t currentByte) {
    const std::size_t size = buffer_.size();
    if (currentByte >= anchorByte) {
        cursor_.select(std::min(anchorByte, size), std::min(currentByte + 1, size));
    } else {
        cursor_.select(std::min(anchorByte + 1, size), currentByte);
    }
}

void HexDocument::selectAll() {
    cursor_.select(0, buffer_.size());
}

std::vector<std::uint8_t> HexDocument::selectedBytes() const {
    const HexCursor::Range range = cursor_.selection();
    const std::uint8_t* first = buffer_.data() + range.begin;
    return {first, first + range.size()};
}

bool HexDocument::typeHexDigit(unsigned value) {
    const std::size_t offset = editStart();
    const std::uint8_t old = offset < buffer_.size() ? buffer_.at(offset) : 0xFF;
    const auto byte = static_cast<std::uint8_t>(cursor_.nibble() == 0 ? (value << 4) | (old & 0x0F)
                                                                      : (old & 0xF0) | value);
    if (!writeByte(offset, byte)) {
        return false;
    }
    cursor_.advanceNibble();
    return true;
}

bool HexDocument::typeByte(std::uint8_t byte) {
    const std::size_t offset = editStart();
    if (!writeByte(offset, byte)) {
        return false;
    }
    cursor_.moveTo(offset + 1, false);
    return true;
}

bool HexDocument::paste(const std::vector<std::uint8_t>& bytes) {
    const std::size_t offset = editStart();
    const std::size_t written = buffer_.write(offset, bytes.data(), bytes.size());
    cursor_.moveTo(offset + written, false);
    return written > 0;
}

bool HexDocument::deleteForward() {
    if (cursor_.hasSelection()) {
        return deleteSelection();
    }
    const std::size_t offset = cursor_.position();
    cursor_.moveTo(offset, false);
    return buffer_.erase(offset, 1) > 0;
}

bool HexDocument::deleteBackward() {
    if (cursor_.hasSelection()) {
        return deleteSelection();
    }
    const std::size_t offset = cursor_.position();
    if (offset == 0) {
        return false;
    }
    cursor_.moveTo(offset - 1, false);
    return buffer_.erase(offset - 1, 1) > 0;
}

bool HexDocument::deleteSelection() {
    const HexCursor::Range range = cursor_.selection();
    cursor_.moveTo(range.begin, false);
    return buffer_.erase(range.begin, range.size()) > 0;
}

std::size_t HexDocument::editStart() {
    if (cursor_.hasSelection()) {
        cursor_.moveTo(cursor_.selection().begin, false);
    }
    return cursor_.position();
}

bool HexDocument::writeByte(std::size_t offset, std::uint8_t byte) {
    return buffer_.write(offset, &byte, 1) == 1;
}

} // namespace halden
