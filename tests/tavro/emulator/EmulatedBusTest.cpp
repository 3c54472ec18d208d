#include "tavro/emulator/EmulatedBus.h"
#include "adapter/hid/HidDevicePath.h"
#include "adapter/wire/AdapterCommand.h"
#include "tavro/emulator/BuiltInParts.h"
#include "tests/support/TempDir.h"
#include "tests/tavro/emulator/EmulatorClient.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace halden {
namespace {

std::shared_ptr<EmulatedBus> makeBus(const std::string& text) {
    std::string error;
    const auto settings = EmulatorSettings::parse(text, &error);
    EXPECT_TRUE(settings) << error;
    auto bus =
        settings ? EmulatedBus::create(*settings, 0x0105, BuiltInParts::table(), &error) : nullptr;
    EXPECT_TRUE(bus) << error;
    return bus;
}

TEST(EmulatedBus, AdaptersSettingTakesOneToSixteen) {
    for (const char* bad : {"adapters=0", "adapters=17", "adapters=", "adapters=two"}) {
        std::string error;
        EXPECT_FALSE(EmulatorSettings::parse(bad, &error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos);
    }
    const auto four = EmulatorSettings::parse("adapters=4,state=/tmp/x", nullptr);
    ASSERT_TRUE(four);
    EXPECT_EQ(four->adapters, 4u);
    EXPECT_EQ(four->forAdapter(3).stateDir, "/tmp/x/adapter-3");
    EXPECT_EQ(four->forAdapter(3).adapterNumber, 3u);
}

// Each adapter has its own path and its own chip: programming one through its path
// leaves the others blank, and its state goes to its own folder.
TEST(EmulatedBus, EveryAdapterHasItsOwnPathAndChip) {
    test::TempDir dir;
    const auto bus = makeBus("target=RQD-1,adapters=3,state=" + (dir / "emu").string());
    const auto devices = bus->enumerate(kTavroVendorId);
    ASSERT_EQ(devices.size(), 3u);
    std::set<std::string> paths;
    for (std::size_t k = 0; k < devices.size(); ++k) {
        paths.insert(devices[k].path);
        EXPECT_EQ(devices[k].productId, PRODUCT_PROGRAMMER);
        EXPECT_EQ(devices[k].serialNumber, "EMU-" + std::to_string(k + 1));
    }
    EXPECT_EQ(paths.size(), 3u);

    // A path matches whatever its case.
    std::string upper = devices[1].path;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    test::EmulatorClient client(bus->openPath(upper, nullptr), bus->adapters()[1]->part());
    ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
    ASSERT_EQ(client.simple(CMD_ERASE_CHIP), 0);
    const auto code = test::pattern(256);
    ASSERT_EQ(client.dataCommand(CMD_PROGRAM_CODE, code), 0);
    EXPECT_EQ(client.read(CMD_READ_TARGET_CODE, 256), code);

    std::ifstream flash(dir / "emu/adapter-2/flash.bin", std::ios::binary);
    const std::vector<std::uint8_t> stored{std::istreambuf_iterator<char>(flash), {}};
    ASSERT_GE(stored.size(), 256u);
    EXPECT_TRUE(std::equal(code.begin(), code.end(), stored.begin()));
    EXPECT_FALSE(std::filesystem::exists(dir / "emu/adapter-1/flash.bin"));
    EXPECT_EQ(bus->adapters()[0]->memory().flash[0], 0xFF);

    EXPECT_EQ(bus->openPath(HidDevicePath::format(kTavroVendorId, PRODUCT_PROGRAMMER, "nothing"),
                            nullptr),
              nullptr);
}

} // namespace
} // namespace halden
