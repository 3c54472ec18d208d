#include "adapter/wire/CommandBlock.h"

#include "adapter/wire/IceLayout.h"

#include <algorithm>

namespace halden {

namespace {

constexpr std::size_t kClearedEnd = 140;

void putLe32(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

bool CommandBlock::fits(std::span<std::uint8_t> ice) {
    return ice.size() >= IceLayout::kSize;
}

std::uint16_t CommandBlock::dataChecksum(std::span<const std::uint8_t> data) {
    std::uint32_t sum = 0;
    for (const auto byte : data) {
        sum += byte;
    }
    return static_cast<std::uint16_t>(sum);
}

bool CommandBlock::prepareDataCommand(std::span<std::uint8_t> ice, std::uint8_t command,
                                      std::uint32_t length, std::uint16_t checksum) {
    if (!fits(ice)) {
        return false;
    }
    std::fill(ice.begin() + IceLayout::kParameter0, ice.begin() + kClearedEnd, 0);
    ice[IceLayout::kParameter0] = static_cast<std::uint8_t>(checksum);
    ice[IceLayout::kParameter1] = static_cast<std::uint8_t>(checksum >> 8);
    ice[IceLayout::kCommand] = command;
    putLe32(ice, IceLayout::kAddress, 0);
    putLe32(ice, IceLayout::kLength, length);
    return true;
}

bool CommandBlock::setParameters(std::span<std::uint8_t> ice, std::uint8_t first,
                                 std::uint8_t second) {
    if (!fits(ice)) {
        return false;
    }
    ice[IceLayout::kParameter0] = first;
    ice[IceLayout::kParameter1] = second;
    return true;
}

bool CommandBlock::setTag(std::span<std::uint8_t> ice, std::uint8_t tag) {
    if (!fits(ice)) {
        return false;
    }
    ice[IceLayout::kTag] = tag;
    return true;
}

} // namespace halden
