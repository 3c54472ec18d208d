#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace halden {

// The adapter's boot loader (product 0x030B): takes a firmware image through feature
// reports (Begin, Data, Check, Restart) and reports the sum of what it received.
class BootLoader {
public:
    // The adapter's firmware flash; a Begin announcing more is refused.
    static constexpr std::uint32_t kMaxImage = 0x40000;

    struct Effects {
        bool accepted = true;
        bool restart = false;
    };

    explicit BootLoader(bool swapChecksum) : swapChecksum_(swapChecksum) {}

    Effects onFeature(std::span<const std::uint8_t> report);
    // Bytes 1 and 2: the 16-bit sum of the image received so far, high byte first.
    bool readFeature(std::span<std::uint8_t> report) const;

    // The version in the image's last two bytes once the whole announced image came.
    std::optional<std::uint16_t> completeImageVersion() const;

private:
    bool receiving() const { return image_.size() < expected_; }

    bool swapChecksum_;
    std::uint32_t expected_ = 0;
    std::vector<std::uint8_t> image_;
};

} // namespace halden
