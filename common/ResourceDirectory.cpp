#include "common/ResourceDirectory.h"

#include "common/ByteOrder.h"

#include <algorithm>
#include <cctype>

namespace halden {

namespace {

bool typeMatches(std::span<const std::uint8_t> field, std::string_view type) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(end - field.begin());
    if (length != type.size()) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(field[i]) != std::tolower(static_cast<unsigned char>(type[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

ResourceDirectory::ResourceDirectory(std::span<const std::uint8_t> blob) : blob_(blob) {
    if (blob.size() < kHeaderSize || !std::equal(kMagic.begin(), kMagic.end(), blob.begin())) {
        return;
    }
    count_ = ByteOrder::readLe32(blob, kMagic.size());
    valid_ = std::uint64_t{count_} * kEntrySize <= blob.size() - kHeaderSize;
}

std::optional<std::span<const std::uint8_t>> ResourceDirectory::find(std::string_view type,
                                                                     std::uint32_t id) const {
    if (!valid_) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < count_; ++i) {
        const std::size_t entry = kHeaderSize + std::size_t{i} * kEntrySize;
        if (!typeMatches(blob_.subspan(entry, kTypeSize), type) ||
            ByteOrder::readLe32(blob_, entry + kTypeSize) != id) {
            continue;
        }
        const std::uint64_t offset = ByteOrder::readLe32(blob_, entry + kTypeSize + 4);
        const std::uint64_t size = ByteOrder::readLe32(blob_, entry + kTypeSize + 8);
        if (offset + size > blob_.size()) {
            return std::nullopt;
        }
        return blob_.subspan(offset, size);
    }
    return std::nullopt;
}

} // namespace halden
