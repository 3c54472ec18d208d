#include "adapter/LinkLibrary.h"
#include "adapter/AdapterLink.h"
#include "adapter/LinkLibraryFile.h"
#include "adapter/wire/IceLayout.h"
#include "adapter/wire/LinkResult.h"
#include "common/SystemError.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace halden {
namespace {

const std::string kCurrent = std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so";
const std::string kOld = std::string(HALDEN_TEST_LIB_DIR) + "/M3_Tavro-v1.2.fixture.so";
const std::string kNoFirmware = std::string(HALDEN_TEST_LIB_DIR) + "/M3_Tavro-nofw.fixture.so";
const std::string kIncomplete =
    std::string(HALDEN_TEST_LIB_DIR) + "/M3_Tavro-incomplete.fixture.so";

TEST(LinkLibraryFile, VersionCheckBeforeLoading) {
    test::TempDir dir;
    struct Case {
        const char* name;
        std::string path;
        std::uint32_t result;
    };
    const Case cases[] = {
        {"1.3.0.0", kCurrent, 0},
        {"1.2.0.0", kOld, LinkLibraryFile::kTooOld},
        {"missing", (dir / "M3_Tavro.so").string(), SystemError::kFileNotFound},
        {"not a library", dir.write("text.so", "hello").string(), SystemError::kBadFormat},
        {"no version record", std::string(HALDEN_BIN_DIR) + "/HexEdit.so",
         SystemError::kResourceTypeNotFound},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinkLibraryFile::CheckLinkLibraryVersion(c.path), c.result) << c.name;
    }
    const auto version = LinkLibraryFile::version(kCurrent);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->mostSignificant, 0x10003u);
    EXPECT_EQ(version->leastSignificant, 0u);
}

TEST(LinkLibraryFile, FirmwareImageEndsWithItsVersion) {
    const auto image = LinkLibraryFile::firmwareImage(kCurrent);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 40960u);
    EXPECT_EQ((*image)[image->size() - 2], 1);
    EXPECT_EQ((*image)[image->size() - 1], 5);
    EXPECT_FALSE(LinkLibraryFile::firmwareImage(kNoFirmware));
}

TEST(LinkLibrary, BindsTheNineExportsByName) {
    LinkLibrary library;
    ASSERT_EQ(library.load(kCurrent), 0u) << library.error();
    EXPECT_TRUE(library.missingExports().empty());
    const LinkExports exports = library.bindExports();
    ASSERT_TRUE(exports.complete());
    EXPECT_NE(exports.ConnectHIDDevice(0, 0, 1), 0); // no adapter yet
    EXPECT_EQ(exports.HidDevice->handle, nullptr);
}

TEST(LinkLibrary, NamesTheExportsALibraryLacks) {
    LinkLibrary library;
    ASSERT_EQ(library.load(kIncomplete), 0u) << library.error();
    EXPECT_EQ(library.missingExports(), std::vector<std::string_view>{"CheckDevice"});
    EXPECT_FALSE(library.bindExports().complete());
    EXPECT_FALSE(library.bindExports(LinkExports::kSetupNames).complete(LinkExports::kSetupNames));
}

// The pack setup tool's seven: what it does not bind is never called, and the switch to
// the boot loader goes through ICE_Write from the command block.
TEST(LinkLibrary, BindsOnlyTheNamesAskedForAndNeverCallsTheOthers) {
    test::TempDir dir;
    setenv("TAVRO_EMULATOR", ("firmware=old,state=" + (dir / "emu").string()).c_str(), 1);
    LinkLibrary library;
    ASSERT_EQ(library.load(kCurrent), 0u) << library.error();
    const LinkExports exports = library.bindExports(LinkExports::kSetupNames);
    EXPECT_TRUE(exports.complete(LinkExports::kSetupNames));
    EXPECT_FALSE(exports.complete());
    EXPECT_EQ(exports.ICE_Send_Command, nullptr);
    EXPECT_EQ(exports.ICE_Read_Data, nullptr);

    AdapterLink link(exports);
    ASSERT_EQ(link.openProgrammer(), 0);
    EXPECT_EQ(link.transact(LinkCommand::openTarget(0x14, 0x24)).sent, LINK_NOT_OPEN);
    EXPECT_EQ(link.readData(0x0B, 0, 16), nullptr);
    int mismatch = 0;
    EXPECT_EQ(link.checkFirmware(mismatch), 0);
    EXPECT_NE(mismatch, 0);
    std::fill(exports.Ice, exports.Ice + 16, std::uint8_t{0});
    EXPECT_EQ(link.transact(LinkCommand::enterBootLoaderWritten()).sent, 0);
    EXPECT_EQ(exports.Ice[IceLayout::kCommand], 9);
    EXPECT_EQ(exports.Ice[IceLayout::kParameter0], 0x20);
    EXPECT_EQ(exports.Ice[IceLayout::kParameter1], 0x86);
    link.close();
    EXPECT_EQ(link.openBootLoader(), 0) << "the adapter took the switch";
    link.close();
    unsetenv("TAVRO_EMULATOR");
}

TEST(LinkLibrary, LoadFailuresGiveSystemCodes) {
    test::TempDir dir;
    LinkLibrary library;
    EXPECT_EQ(library.load((dir / "none.so").string()), SystemError::kModuleNotFound);
    EXPECT_EQ(library.load(dir.write("bad.so", "garbage").string()), SystemError::kBadFormat);
    EXPECT_FALSE(library.loaded());
}

} // namespace
} // namespace halden
