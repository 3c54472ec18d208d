#include "programmer/programming/UpdateTarget.h"
#include "adapter/wire/AdapterCommand.h"
#include "tests/programmer/programming/SequenceFixture.h"

#include <gtest/gtest.h>

namespace halden::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class UpdateTargetTest : public SequenceTest {
protected:
    UpdateTarget::Result run(const Bytes& code) {
        UpdateTarget update(
            adapter, part, [code] { return code; }, ui, core.textMessage(), observer, busy);
        return update.run();
    }
    bool closeTargetSent() {
        const auto commands = control()->statistics().commands;
        return std::find(commands.begin(), commands.end(), CMD_CLOSE_TARGET) != commands.end();
    }
};

Bytes code(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 13 + 1);
    }
    return bytes;
}

TEST_F(UpdateTargetTest, ProgramsCodeAndOptionBytes) {
    arm("");
    part.setBox(0, true); // LOCK
    const Bytes image = code(1000);
    ASSERT_EQ(run(image), UpdateTarget::Result::Ok);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Update Target ok !"});
    EXPECT_FALSE(linkOpen());
    EXPECT_FALSE(busy);
    const Bytes flash = readFile("flash.bin");
    ASSERT_EQ(flash.size(), 0x18000u);
    EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 1000), image);
    EXPECT_TRUE(
        std::all_of(flash.begin() + 1000, flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
    const Bytes options = readFile("options.bin");
    ASSERT_GE(options.size(), 128u);
    EXPECT_EQ(Bytes(options.begin(), options.begin() + 128),
              Bytes(part.record().optionBytes.begin(), part.record().optionBytes.begin() + 128));
    EXPECT_EQ(options[16], 0x83);
    EXPECT_EQ(control()->statistics().commands,
              (Bytes{0x80, CMD_OPEN_TARGET, CMD_CHECK_TARGET, CMD_ERASE_CHIP, CMD_PROGRAM_CODE,
                     CMD_READ_TARGET_CODE, CMD_PROGRAM_OPTIONS, CMD_CLOSE_TARGET}))
        << "the firmware query, then the sequence";
}

TEST_F(UpdateTargetTest, EmptyBufferStillErasesAndProgramsTheOptionBytes) {
    arm("");
    ASSERT_EQ(run({}), UpdateTarget::Result::Ok);
    const auto commands = control()->statistics().commands;
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CMD_ERASE_CHIP), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CMD_PROGRAM_CODE), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), CMD_PROGRAM_OPTIONS), 1);
    const Bytes flash = readFile("flash.bin");
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(UpdateTargetTest, EachFailureHasItsMessageLinkAndCloseTarget) {
    struct Case {
        const char* name;
        std::string settings;
        std::vector<std::string> messages;
        bool linkStaysOpen;
        bool closeTarget;
    };
    const Case cases[] = {
        {"no target", "target=none", {"[Error occured !] DUT is no response!"}, true, false},
        {"low voltage",
         "voltage=1999",
         {"[Error occured !] DUT's voltage is out of range !"},
         true,
         false},
        {"high voltage",
         "voltage=3600",
         {"[Error occured !] DUT's voltage is out of range !"},
         true,
         false},
        {"open target silent", "fault=drop:0x25", {}, false, true},
        {"wrong chip", "target=RQD-4", {"[Error !] Target is not \"RQD-1\" !"}, true, false},
        {"identify silent", "fault=drop:0x23", {}, false, true},
        // The identity's reply comes under another report ID: the read gives 13.
        {"identify unreadable",
         "fault=badreport:0x23",
         {"[Error !] Target is not exist !"},
         false,
         true},
        {"erase failure",
         "fault=status:0x0D:4",
         {"[Error occured !] Erase Chip Fail!"},
         false,
         true},
        {"program failure",
         "fault=status:0x19:1",
         {"[Error occured !] Checksum is not match !", "[Error !] Update Target failed !"},
         false,
         true},
        {"verify mismatch", "fault=stuck:5", {"[Error !] Checksum failed !"}, false, false},
        // Nothing could be compared: never reported as ok.
        {"read-back fails", "fault=refuse:1", {"[Error !] Update Target failed !"}, false, true},
        {"option bytes failure",
         "fault=status:0x1A:1",
         {"[Error occured !] Checksum is not match !", "[Error !] Update Target failed !"},
         false,
         true},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        arm(c.settings);
        EXPECT_EQ(run(code(64)), UpdateTarget::Result::Failed) << c.name;
        EXPECT_EQ(texts(), c.messages) << c.name;
        EXPECT_EQ(linkOpen(), c.linkStaysOpen) << c.name;
        EXPECT_EQ(closeTargetSent(), c.closeTarget) << c.name;
        EXPECT_FALSE(busy) << c.name;
        link.DisconnectHIDDevice();
    }
}

// A part record whose parameter bytes are not the chip's: the target is powered but
// never answers, and Update Target stops with the adapter's no-response text.
TEST_F(UpdateTargetTest, ParameterBytesThatAreNotTheChipsReachNoTarget) {
    arm("target=RQD-1");
    part.record().parameterBytes[1] = 0x25;
    EXPECT_EQ(run(code(64)), UpdateTarget::Result::Failed);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Error occured !] DUT is no response!"});
    EXPECT_EQ(control()->statistics().commands, (Bytes{0x80, CMD_OPEN_TARGET}));
    const Bytes flash = readFile("flash.bin");
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(UpdateTargetTest, MissingAdapterAndOldFirmware) {
    unsetenv("TAVRO_EMULATOR");
    EXPECT_EQ(run(code(8)), UpdateTarget::Result::Failed);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Error !] Tavro is not exist !"});
    EXPECT_FALSE(linkOpen());

    messages.messages.clear();
    arm("firmware=old");
    EXPECT_EQ(run(code(8)), UpdateTarget::Result::Failed);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(ui.warnings, std::vector<bool>{false});
    EXPECT_FALSE(linkOpen());
    EXPECT_FALSE(closeTargetSent());

    // The user starts the upgrade: the link is left to it.
    ui.startUpgrade = true;
    arm("firmware=old");
    UpdateTarget update(
        adapter, part, [] { return Bytes{}; }, ui, core.textMessage(), observer, busy);
    EXPECT_EQ(update.run(), UpdateTarget::Result::Failed);
    EXPECT_TRUE(update.upgradeStarted());
    EXPECT_TRUE(linkOpen());
}

TEST_F(UpdateTargetTest, BusyRunsNothingAndAnOpenAdapterIsReopened) {
    arm("");
    busy = true;
    EXPECT_EQ(run(code(8)), UpdateTarget::Result::Busy);
    EXPECT_TRUE(busy);
    EXPECT_TRUE(messages.messages.empty());

    busy = false;
    ASSERT_EQ(link.ConnectHIDDevice(0, 0, 1), 0);
    ASSERT_TRUE(linkOpen());
    EXPECT_EQ(run(code(8)), UpdateTarget::Result::Ok);
    EXPECT_FALSE(linkOpen());
}

TEST_F(UpdateTargetTest, AdapterWithoutOfflineCapabilityDisablesUpdateProgrammer) {
    arm("offline=0");
    EXPECT_EQ(run(code(8)), UpdateTarget::Result::Ok);
    EXPECT_TRUE(ui.programmerDisabled);
    EXPECT_EQ(ui.statusTexts.at(1), u"Detect if Tavro is exist...");
}

} // namespace
} // namespace halden::test
