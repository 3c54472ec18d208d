#include "tavro/emulator/TavroReportDescriptor.h"

#include "adapter/wire/TavroFrames.h"
#include "adapter/wire/TavroProduct.h"

namespace halden {

namespace {

// Short items: the tag and type byte with its size in the low two bits.
constexpr std::uint8_t kUsagePage16 = 0x06;
constexpr std::uint8_t kUsage8 = 0x09;
constexpr std::uint8_t kCollection8 = 0xA1;
constexpr std::uint8_t kEndCollection = 0xC0;
constexpr std::uint8_t kLogicalMinimum8 = 0x15;
constexpr std::uint8_t kLogicalMaximum16 = 0x26;
constexpr std::uint8_t kReportSize8 = 0x75;
constexpr std::uint8_t kReportCount16 = 0x96;
constexpr std::uint8_t kInput8 = 0x81;
constexpr std::uint8_t kOutput8 = 0x91;
constexpr std::uint8_t kFeature8 = 0xB1;
constexpr std::uint8_t kDataVariableAbsolute = 0x02;
constexpr std::uint8_t kApplication = 0x01;

void addReport(std::vector<std::uint8_t>& bytes, std::uint8_t mainItem, std::size_t length) {
    const auto count = static_cast<std::uint16_t>(length - 1); // less the report-ID byte
    bytes.insert(bytes.end(), {kReportCount16, static_cast<std::uint8_t>(count & 0xFF),
                               static_cast<std::uint8_t>(count >> 8), kUsage8, 0x01, mainItem,
                               kDataVariableAbsolute});
}

} // namespace

std::vector<std::uint8_t> TavroReportDescriptor::forProduct(std::uint16_t productId) {
    const std::size_t feature = productId == PRODUCT_BOOT_LOADER ? TavroFrames::kBootFeatureLength
                                                                 : TavroFrames::kFeatureLength;
    std::vector<std::uint8_t> bytes{kUsagePage16, 0x00,
                                    0xFF,         kUsage8,
                                    0x01,         kCollection8,
                                    kApplication, kLogicalMinimum8,
                                    0x00,         kLogicalMaximum16,
                                    0xFF,         0x00,
                                    kReportSize8, 0x08};
    addReport(bytes, kInput8, TavroFrames::kInputLength);
    addReport(bytes, kOutput8, TavroFrames::kOutputLength);
    addReport(bytes, kFeature8, feature);
    bytes.push_back(kEndCollection);
    return bytes;
}

} // namespace halden
