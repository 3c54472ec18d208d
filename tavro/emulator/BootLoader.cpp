#include "tavro/emulator/BootLoader.h"

#include "adapter/wire/TavroFrames.h"

#include <algorithm>

namespace halden {

namespace {

constexpr std::size_t kBeginSize = 8;

} // namespace

BootLoader::Effects BootLoader::onFeature(std::span<const std::uint8_t> report) {
    if (report.size() < 2) {
        return {false, false};
    }
    if (receiving()) {
        const std::size_t n = std::min<std::size_t>(expected_ - image_.size(), report.size() - 1);
        image_.insert(image_.end(), report.begin() + 1, report.begin() + 1 + n);
        return {true, false};
    }
    switch (report[1]) {
    case TavroFrames::kBootBegin: {
        if (report.size() < kBeginSize) {
            return {false, false};
        }
        const std::uint32_t length =
            (std::uint32_t{report[5]} << 16) | (std::uint32_t{report[6]} << 8) | report[7];
        if (length == 0 || length > kMaxImage) {
            return {false, false};
        }
        expected_ = length;
        image_.clear();
        image_.reserve(length);
        return {true, false};
    }
    case TavroFrames::kBootCheck:
        return {true, false};
    case TavroFrames::kBootRestart:
        return {true, true};
    default:
        return {false, false};
    }
}

bool BootLoader::readFeature(std::span<std::uint8_t> report) const {
    if (report.size() < 3) {
        return false;
    }
    std::fill(report.begin() + 1, report.end(), 0);
    const std::uint16_t sum = TavroFrames::checksum(image_);
    const auto high = static_cast<std::uint8_t>(sum >> 8);
    const auto low = static_cast<std::uint8_t>(sum);
    report[1] = swapChecksum_ ? low : high;
    report[2] = swapChecksum_ ? high : low;
    return true;
}

std::optional<std::uint16_t> BootLoader::completeImageVersion() const {
    if (expected_ < 2 || image_.size() != expected_) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>((image_[expected_ - 2] << 8) | image_[expected_ - 1]);
}

} // namespace halden
