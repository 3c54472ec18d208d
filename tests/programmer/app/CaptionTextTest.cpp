#include "programmer/app/CaptionText.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

TEST(CaptionText, AddsTheFirmwareVersionFromTheImagesLastTwoBytes) {
    struct Case {
        std::vector<std::uint8_t> image;
        bool present;
        std::u16string caption;
    };
    const Case cases[] = {
        {{0xAA, 1, 5}, true, u"T FW = v1. 5 "},
        {{0x1A, 0x2B}, true, u"T FW = v1A.2B "},
        {{}, false, u"T FW = v0. 0 "},
        {{7}, true, u"T FW = v0. 0 "},
    };
    for (const auto& c : cases) {
        std::optional<std::span<const std::uint8_t>> image;
        if (c.present) {
            image = c.image;
        }
        EXPECT_EQ(CaptionText::withFirmware(u"T", image), c.caption);
    }
}

} // namespace
} // namespace halden
