#include "programmer/programming/OfflineProjectHeader.h"

#include "common/ByteOrder.h"
#include "programmer/catalogue/PartRecord.h"

#include <algorithm>

namespace halden {

namespace {

constexpr std::size_t kLength = 2;
constexpr std::size_t kVersion = 4;
constexpr std::uint8_t kVersionValue = 1;
constexpr std::size_t kPartIndex = 5;
constexpr std::size_t kChipId = 7;
constexpr std::size_t kCodeLength = 19;
constexpr std::size_t kCodeChecksum = 23;
constexpr std::size_t kSerialFlags = 36;
constexpr std::size_t kStartAddress = 37;
constexpr std::size_t kSerialString = 41;
constexpr std::size_t kSerialNumber = 53;
constexpr std::size_t kMaxCounter = 61;
constexpr std::size_t kParameterBytes = 65;
constexpr std::size_t kOptionCount = 68;

void putLe16(std::vector<std::uint8_t>& out, std::size_t offset, std::uint16_t value) {
    out[offset] = static_cast<std::uint8_t>(value);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putLe32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
    putLe16(out, offset, static_cast<std::uint16_t>(value));
    putLe16(out, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

} // namespace

OfflineProjectHeader OfflineProjectHeader::forPart(const PartRecord& part,
                                                   const OfflineSettings& settings,
                                                   std::uint32_t codeLength,
                                                   std::uint16_t codeChecksum) {
    OfflineProjectHeader header;
    header.partIndex = part.partIndex;
    header.chipId = part.chipId;
    header.codeLength = codeLength;
    header.codeChecksum = codeChecksum;
    header.settings = settings;
    header.parameterBytes = part.parameterBytes;
    header.optionBytes.assign(part.optionBytes.begin(),
                              part.optionBytes.begin() +
                                  std::min<std::size_t>(part.optionCount, part.optionBytes.size()));
    return header;
}

std::uint16_t OfflineProjectHeader::checksum(std::span<const std::uint8_t> header) {
    std::uint32_t sum = 0;
    for (std::size_t i = kLength; i < header.size(); ++i) {
        sum += header[i];
    }
    return static_cast<std::uint16_t>(sum);
}

std::vector<std::uint8_t> OfflineProjectHeader::bytes() const {
    // M is one byte, and so the option bytes are at most 255.
    const std::size_t optionCount = std::min<std::size_t>(optionBytes.size(), 0xFF);
    std::vector<std::uint8_t> out(kFixedSize + optionCount, 0);
    putLe16(out, kLength, static_cast<std::uint16_t>(out.size()));
    out[kVersion] = kVersionValue;
    putLe16(out, kPartIndex, partIndex);
    putLe32(out, kChipId, chipId);
    putLe32(out, kCodeLength, codeLength);
    putLe16(out, kCodeChecksum, codeChecksum);
    out[kSerialFlags] = settings.serialFlags;
    putLe32(out, kStartAddress, settings.startAddress);
    std::copy(settings.serialString.begin(), settings.serialString.end(),
              out.begin() + kSerialString);
    putLe32(out, kSerialNumber, settings.serialNumber);
    putLe16(out, kMaxCounter, settings.maxCounter);
    std::copy(parameterBytes.begin(), parameterBytes.end(), out.begin() + kParameterBytes);
    out[kOptionCount] = static_cast<std::uint8_t>(optionCount);
    std::copy_n(optionBytes.begin(), optionCount, out.begin() + kFixedSize);
    putLe16(out, 0, checksum(out));
    return out;
}

std::optional<OfflineProjectHeader>
OfflineProjectHeader::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFixedSize || ByteOrder::readLe16(bytes, kLength) != bytes.size() ||
        bytes[kOptionCount] != bytes.size() - kFixedSize ||
        ByteOrder::readLe16(bytes, 0) != checksum(bytes)) {
        return std::nullopt;
    }
    OfflineProjectHeader header;
    header.partIndex = ByteOrder::readLe16(bytes, kPartIndex);
    header.chipId = ByteOrder::readLe32(bytes, kChipId);
    header.codeLength = ByteOrder::readLe32(bytes, kCodeLength);
    header.codeChecksum = ByteOrder::readLe16(bytes, kCodeChecksum);
    header.settings.serialFlags = bytes[kSerialFlags];
    header.settings.startAddress = ByteOrder::readLe32(bytes, kStartAddress);
    std::copy_n(bytes.begin() + kSerialString, OfflineSettings::kSerialStringSize,
                header.settings.serialString.begin());
    header.settings.serialNumber = ByteOrder::readLe32(bytes, kSerialNumber);
    header.settings.maxCounter = ByteOrder::readLe16(bytes, kMaxCounter);
    std::copy_n(bytes.begin() + kParameterBytes, 3, header.parameterBytes.begin());
    header.optionBytes.assign(bytes.begin() + kFixedSize, bytes.end());
    return header;
}

} // namespace halden
