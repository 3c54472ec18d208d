#include "programmer/programming/UpdateProgrammer.h"

#include "adapter/wire/AdapterCommand.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/programming/OfflineProjectHeader.h"
#include "programmer/programming/OfflineSettingsEditor.h"
#include "programmer/programming/UpdateTarget.h"
#include "tests/programmer/programming/SequenceFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace halden::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The user's side of the Off-Line Mode dialog: edits the settings and accepts, or cancels.
class ScriptedEditor : public OfflineSettingsEditor {
public:
    bool editOfflineSettings(OfflineSettings& settings, std::uint32_t flashSize) override {
        ++openings;
        seen = settings;
        seenFlashSize = flashSize;
        if (edit) {
            edit(settings);
        }
        return accept;
    }

    std::function<void(OfflineSettings&)> edit;
    bool accept = true;
    int openings = 0;
    OfflineSettings seen;
    std::uint32_t seenFlashSize = 0;
};

class UpdateProgrammerTest : public SequenceTest {
protected:
    UpdateProgrammer::Result run(const Bytes& code) {
        UpdateProgrammer update(
            adapter, part, [code] { return code; }, editor, ui, core.textMessage(), observer, busy);
        return update.run();
    }
    Bytes commands() { return control()->statistics().commands; }
    bool stored(const std::string& name) const {
        return std::filesystem::exists(stateDir() / name);
    }

    ScriptedEditor editor;
};

Bytes code(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return bytes;
}

TEST_F(UpdateProgrammerTest, StoresHeaderAndCodeAndReadsThemBack) {
    arm("");
    part.setBox(0, true); // LOCK
    editor.edit = [](OfflineSettings& settings) {
        settings.setSerialEnabled(true);
        settings.setSerialString(u"LINE-7");
        settings.setSerialNumber("00C0FFEE");
        settings.setMaxCounter("500");
    };
    const Bytes image = code(1000);
    ASSERT_EQ(run(image), UpdateProgrammer::Result::Ok);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Update Programmer ok !"});
    EXPECT_FALSE(linkOpen());
    EXPECT_FALSE(busy);

    EXPECT_EQ(editor.openings, 1);
    EXPECT_EQ(editor.seenFlashSize, 0x18000u);
    EXPECT_EQ(editor.seen.startAddress, 0x18000u - 16) << "the settings start reset";
    EXPECT_EQ(editor.seen.serialFlags, 0);

    OfflineSettings expectedSettings = OfflineSettings::reset(0x18000);
    editor.edit(expectedSettings);
    const PartRecord& record = part.record();
    EXPECT_EQ(record.optionBytes[16], 0x83) << "the option bytes were built from the boxes";
    const Bytes expectedHeader =
        OfflineProjectHeader::forPart(record, expectedSettings, 1000, CodeChecksum::compute(image))
            .bytes();
    EXPECT_EQ(readFile("stored-header.bin"), expectedHeader);
    EXPECT_EQ(readFile("stored-code.bin"), image);
    EXPECT_EQ(record.codeChecksum, CodeChecksum::compute(image));
    EXPECT_EQ(commands(), (Bytes{0x80, CMD_STORE_PROJECT_HEADER, CMD_STORE_PROJECT_CODE,
                                 CMD_READ_STORED_CODE}));
    EXPECT_NE(std::find(ui.statusTexts.begin(), ui.statusTexts.end(),
                        u"Compare the code buffer content with the data in Tavro"),
              ui.statusTexts.end());
    EXPECT_EQ(ui.statusTexts.back(), u"") << "the pane ends empty";
}

TEST_F(UpdateProgrammerTest, EachFailureEndsInUpdateProgrammerFailed) {
    // RQD-1's header is 197 bytes: two feature reports before the code's. A status or
    // dropped-reply fault lets the adapter keep the data and then answer wrongly.
    struct Case {
        const char* name;
        std::string settings;
        std::vector<std::string> messages;
        bool headerKept;
        bool codeKept;
    };
    const std::string failed = "[Error !] Update Programmer failed !";
    const Case cases[] = {
        {"header refused by status",
         "fault=status:0x1B:1",
         {"[Error occured !] Checksum is not match !", failed},
         true,
         false},
        {"header without reply", "fault=drop:0x1B", {failed}, true, false},
        {"header reports refused", "fault=refuse:1", {failed}, false, false},
        {"code refused by status",
         "fault=status:0x1C:1",
         {"[Error occured !] Checksum is not match !", failed},
         true,
         true},
        {"code reports refused", "fault=refuse:3", {failed}, true, false},
        {"unplugged during the code", "fault=unplug:6", {failed}, true, false},
        {"a corrupted stored byte",
         "fault=corrupt:999",
         {"[Error !] Checksum failed !", failed},
         true,
         true},
        {"read-back refused", "fault=status:0x21:1", {failed}, true, true},
        {"close fails after a good download", "fault=closefail", {failed}, true, true},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        messages.beeps.clear();
        arm(c.settings);
        EXPECT_EQ(run(code(1000)), UpdateProgrammer::Result::Failed) << c.name;
        EXPECT_EQ(texts(), c.messages) << c.name;
        EXPECT_FALSE(linkOpen()) << c.name;
        EXPECT_FALSE(busy) << c.name;
        EXPECT_EQ(stored("stored-header.bin"), c.headerKept) << c.name;
        EXPECT_EQ(stored("stored-code.bin"), c.codeKept) << c.name;
        const bool compared = c.messages.front() == "[Error !] Checksum failed !";
        EXPECT_EQ(messages.beeps, compared ? std::vector<MessageIcon>{MessageIcon::Question}
                                           : std::vector<MessageIcon>{})
            << c.name;
    }
}

TEST_F(UpdateProgrammerTest, NoAdapterAndNoOfflineCapability) {
    unsetenv("TAVRO_EMULATOR");
    EXPECT_EQ(run(code(8)), UpdateProgrammer::Result::Failed);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Error !] Tavro is not exist !"});
    EXPECT_FALSE(linkOpen());
    EXPECT_EQ(editor.openings, 0);

    messages.messages.clear();
    arm("offline=0");
    EXPECT_EQ(run(code(8)), UpdateProgrammer::Result::NotCapable);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(ui.programmerDisabled);
    EXPECT_EQ(editor.openings, 0);
    EXPECT_EQ(commands(), Bytes{0x80}) << "nothing but the firmware query was sent";
    EXPECT_FALSE(linkOpen());
}

TEST_F(UpdateProgrammerTest, CancelAndEmptyBufferKeepTheLinkForTheNextUpdateTarget) {
    arm("");
    editor.accept = false;
    EXPECT_EQ(run(code(8)), UpdateProgrammer::Result::Abandoned);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(linkOpen());
    EXPECT_FALSE(busy);

    editor.accept = true;
    EXPECT_EQ(run({}), UpdateProgrammer::Result::Abandoned);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Fail !] File size is zero !"});
    EXPECT_TRUE(linkOpen());
    EXPECT_FALSE(stored("stored-header.bin"));

    messages.messages.clear();
    UpdateTarget target(
        adapter, part, [] { return code(8); }, ui, core.textMessage(), observer, busy);
    EXPECT_EQ(target.run(), UpdateTarget::Result::Ok);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Update Target ok !"});
    EXPECT_FALSE(linkOpen());
}

TEST_F(UpdateProgrammerTest, BusyFlagIsSharedWithUpdateTarget) {
    arm("");
    busy = true;
    EXPECT_EQ(run(code(8)), UpdateProgrammer::Result::Busy);
    EXPECT_TRUE(busy);
    EXPECT_EQ(editor.openings, 0);
    EXPECT_FALSE(linkOpen());
}

TEST_F(UpdateProgrammerTest, SerialOverCodeIsAskedBeforeTheDownload) {
    editor.edit = [](OfflineSettings& settings) {
        settings.setSerialEnabled(true);
        settings.setStartAddress("00000100", 0x18000);
    };
    arm("");
    messages.answers.push_back(MessageAnswer::Cancel);
    EXPECT_EQ(run(code(0x200)), UpdateProgrammer::Result::Abandoned);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Warning !");
    EXPECT_NE(messages.messages[0].text.find("0x00000100"), std::string::npos);
    EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::OkCancel);
    EXPECT_FALSE(stored("stored-header.bin"));
    EXPECT_TRUE(linkOpen());

    messages.messages.clear();
    EXPECT_EQ(run(code(0x200)), UpdateProgrammer::Result::Ok) << "OK stores it anyway";
    EXPECT_EQ(texts().back(), "[Pass !] Update Programmer ok !");

    messages.messages.clear();
    arm("");
    EXPECT_EQ(run(code(0x100)), UpdateProgrammer::Result::Ok);
    EXPECT_EQ(texts(), std::vector<std::string>{"[Pass !] Update Programmer ok !"})
        << "a serial number past the code asks nothing";
}

TEST_F(UpdateProgrammerTest, AdapterKeepsOnlyAHeaderThatHoldsTogether) {
    const Bytes good =
        OfflineProjectHeader::forPart(part.record(), OfflineSettings::reset(0x18000), 8, 8).bytes();
    const auto withChecksum = [](Bytes bytes) {
        const std::uint16_t sum = OfflineProjectHeader::checksum(bytes);
        bytes[0] = static_cast<std::uint8_t>(sum);
        bytes[1] = static_cast<std::uint8_t>(sum >> 8);
        return bytes;
    };
    Bytes badChecksum = good;
    badChecksum[0] ^= 0x01;
    Bytes badLength = good;
    badLength[2] = static_cast<std::uint8_t>(badLength[2] - 1);
    Bytes badCount = good;
    badCount[68] = static_cast<std::uint8_t>(badCount[68] + 1);
    for (const Bytes& bad : {badChecksum, withChecksum(badLength), withChecksum(badCount)}) {
        plug("");
        EXPECT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_HEADER, bad), 0);
        EXPECT_FALSE(stored("stored-header.bin"));
        link.DisconnectHIDDevice();
    }
    plug("");
    EXPECT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_HEADER, good), 1);
    EXPECT_EQ(readFile("stored-header.bin"), good);
}

} // namespace
} // namespace halden::test
