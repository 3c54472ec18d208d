#include "common/BigEndianReader.h"

#include "common/ByteOrder.h"

#include <algorithm>

namespace halden {

std::span<const std::uint8_t> BigEndianReader::take(std::size_t length) {
    if (failed_ || pos_ > bytes_.size() || length > bytes_.size() - pos_) {
        failed_ = true;
        return {};
    }
    const auto piece = bytes_.subspan(pos_, length);
    pos_ += length;
    return piece;
}

std::uint8_t BigEndianReader::byte() {
    const auto piece = take(1);
    return piece.empty() ? 0 : piece[0];
}

std::uint16_t BigEndianReader::word() {
    const auto piece = take(2);
    return piece.empty() ? 0 : ByteOrder::readBe16(piece, 0);
}

std::uint32_t BigEndianReader::dword() {
    const auto piece = take(4);
    return piece.empty() ? 0 : ByteOrder::readBe32(piece, 0);
}

std::string BigEndianReader::text(std::size_t length) {
    const auto piece = take(length);
    return std::string(piece.begin(), piece.end());
}

void BigEndianReader::bytes(std::span<std::uint8_t> destination) {
    const auto piece = take(destination.size());
    std::copy(piece.begin(), piece.end(), destination.begin());
}

} // namespace halden
