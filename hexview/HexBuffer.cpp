#include "hexview/HexBuffer.h"

#include <algorithm>
#include <numeric>

namespace halden {

std::size_t HexBuffer::assign(const std::uint8_t* bytes, std::size_t count) {
    bytes_.assign(bytes, bytes + std::min(count, capacity_));
    return bytes_.size();
}

std::size_t HexBuffer::copyTo(std::uint8_t* destination, std::size_t count) const {
    const std::size_t copied = std::min(count, bytes_.size());
    std::copy_n(bytes_.begin(), copied, destination);
    return copied;
}

bool HexBuffer::setCapacity(std::size_t capacity) {
    capacity_ = capacity;
    if (bytes_.size() <= capacity) {
        return false;
    }
    bytes_.resize(capacity);
    bytes_.shrink_to_fit();
    return true;
}

std::size_t HexBuffer::write(std::size_t offset, const std::uint8_t* bytes, std::size_t count) {
    if (offset > bytes_.size() || offset >= capacity_) {
        return 0;
    }
    const std::size_t written = std::min(count, capacity_ - offset);
    const std::size_t overwritten = std::min(written, bytes_.size() - offset);
    std::copy_n(bytes, overwritten, bytes_.begin() + offset);
    bytes_.insert(bytes_.end(), bytes + overwritten, bytes + written);
    return written;
}

std::size_t HexBuffer::erase(std::size_t offset, std::size_t count) {
    if (offset >= bytes_.size()) {
        return 0;
    }
    const std::size_t removed = std::min(count, bytes_.size() - offset);
    const auto first = bytes_.begin() + offset;
    bytes_.erase(first, first + removed);
    return removed;
}

std::uint32_t HexBuffer::sum() const {
    return std::accumulate(bytes_.begin(), bytes_.end(), std::uint32_t{0});
}

} // namespace halden
