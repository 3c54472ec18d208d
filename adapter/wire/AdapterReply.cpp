#include "adapter/wire/AdapterReply.h"

#include "common/ByteOrder.h"

namespace halden {

std::optional<AdapterReply> AdapterReply::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSize) {
        return std::nullopt;
    }
    return AdapterReply{bytes[0], ByteOrder::readLe16(bytes, 2), ByteOrder::readLe16(bytes, 4)};
}

double AdapterReply::volts(std::uint16_t millivolts) {
    const float factor = 0.001f;
    const float product = static_cast<float>(millivolts) * factor;
    return product;
}

} // namespace halden
