#include "adapter/hid/UdevHidWatch.h"

#include <gtest/gtest.h>

#include <future>

namespace halden {
namespace {

TEST(UdevHidWatch, ReadsVendorAndProductFromHidId) {
    struct Case {
        const char* id;
        std::optional<std::pair<std::uint16_t, std::uint16_t>> ids;
    };
    const Case cases[] = {
        {"0003:00002E7B:00000325", std::make_pair(std::uint16_t{0x2E7B}, std::uint16_t{0x0325})},
        {"0003:00002e7b:00000fff", std::make_pair(std::uint16_t{0x2E7B}, std::uint16_t{0x0FFF})},
        {"0003:00012E7B:00000325", std::nullopt}, // vendor beyond 16 bits
        {"0003:2E7B", std::nullopt},
        {"0003::0325", std::nullopt},
        {"0003:2E7B:03X5", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UdevHidWatch::parseHidId(c.id), c.ids) << c.id;
    }
}

// Where udev can be reached the monitor thread starts; either way closing the watch
// ends its thread at once, without waiting for a device event.
TEST(UdevHidWatch, StopsPromptly) {
    class Listener : public HidDeviceListener {
    public:
        void arrived(const std::string&) override {}
        void removed(const std::string&) override {}
    } listener;
    auto stopped = std::async(std::launch::async, [&listener] {
        for (int round = 0; round < 3; ++round) {
            UdevHidWatch watch;
            watch.subscribe(listener);
            watch.unsubscribe(listener);
        }
    });
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

} // namespace
} // namespace halden
