#include "adapter/LinkLibraryFile.h"
#include "adapter/ReportTransport.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/CommandBlock.h"
#include "adapter/wire/IceLayout.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "tests/programmer/programming/LinkFixture.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace halden {
namespace {

using Step = ReplyRules::Step;
using test::LinkTest;
using test::RecordingHandle;

constexpr std::uint16_t kRqd1Index = 36;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint32_t seed = 1) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

std::vector<std::string> texts(const test::RecordingMessageService& messages) {
    std::vector<std::string> out;
    for (const auto& m : messages.messages) {
        out.push_back("[" + m.caption + "] " + m.text);
    }
    return out;
}

TEST_F(LinkTest, ProgramsAndVerifiesATargetInUpdateTargetOrder) {
    plug("target=RQD-1");
    EXPECT_EQ(protocol.OpenTarget(0x14, 0x24), Step::Proceed);
    EXPECT_EQ(protocol.CheckTarget(kRqd1Index, u"RQD-1"), Step::Proceed);
    EXPECT_EQ(protocol.EraseChip(), 0);
    const auto code = pattern(1000);
    EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_CODE, code), 1);
    EXPECT_TRUE(protocol.ReadBackAndCompare(CMD_READ_TARGET_CODE, code));
    auto different = code;
    different[999] ^= 1;
    EXPECT_FALSE(protocol.ReadBackAndCompare(CMD_READ_TARGET_CODE, different));
    const auto options = pattern(128, 9);
    EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_OPTIONS, options), 1);
    EXPECT_EQ(protocol.CloseTarget(), 0);
    EXPECT_TRUE(messages.messages.empty()) << texts(messages)[0];

    // The adapter kept it: another process could read it from the state folder.
    const auto flash = readFile("flash.bin");
    ASSERT_EQ(flash.size(), 0x18000u);
    EXPECT_TRUE(std::equal(code.begin(), code.end(), flash.begin()));
    EXPECT_EQ(flash[1000], 0xFF);
    EXPECT_EQ(readFile("options.bin"), options);
    // The data command's block: checksum in 12 and 13, length at 8, bytes up to 139 cleared.
    EXPECT_EQ(link.Ice[IceLayout::kCommand], CMD_PROGRAM_OPTIONS);
    EXPECT_EQ(link.Ice[IceLayout::kLength], 128);
    const auto sum = CommandBlock::dataChecksum(options);
    EXPECT_EQ(link.Ice[12], sum & 0xFF);
    EXPECT_EQ(link.Ice[13], sum >> 8);
}

TEST_F(LinkTest, StoresAndReadsBackAnOffLineProject) {
    plug("");
    std::vector<std::uint8_t> header(69 + 16, 0);
    header[2] = 85;
    header[4] = 1;
    header[68] = 16;
    const auto sum = CommandBlock::dataChecksum(std::span(header).subspan(2));
    header[0] = sum & 0xFF;
    header[1] = sum >> 8;
    const auto code = pattern(70000, 5);
    EXPECT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_HEADER, header), 1);
    EXPECT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_CODE, code), 1);
    EXPECT_TRUE(protocol.ReadBackAndCompare(CMD_READ_STORED_CODE, code));
    EXPECT_EQ(readFile("stored-header.bin"), header);
    EXPECT_EQ(readFile("stored-code.bin"), code);
}

TEST_F(LinkTest, AWrongTagWithStatusZeroFailsWithoutAMessage) {
    plug("fault=tag:0x19");
    EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_CODE, pattern(10)), 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LinkTest, DataCommandStatusTwoSpeaksOnlyOutsideOnePointEightToFivePointFiveVolts) {
    struct Case {
        int millivolts;
        bool message;
    };
    for (const Case c : {Case{1799, true}, Case{1800, false}, Case{3300, false}, Case{5499, false},
                         Case{5500, true}}) {
        messages.messages.clear();
        plug("voltage=" + std::to_string(c.millivolts) + ",fault=status:0x19:2");
        EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_CODE, pattern(4)), 0) << c.millivolts;
        if (c.message) {
            EXPECT_EQ(texts(messages),
                      std::vector<std::string>{"[Error occured !] DUT's voltage is out of range !"})
                << c.millivolts;
            EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::None);
        } else {
            EXPECT_TRUE(messages.messages.empty()) << c.millivolts;
        }
    }
}

TEST_F(LinkTest, OpenTargetStopsOnStatusTwoAndSpeaksOnlyOutsideTwoToThreePointSixVolts) {
    struct Case {
        const char* settings;
        Step step;
        bool message;
    };
    const Case cases[] = {
        // The emulated target itself refuses supplies outside 2000 to 3599 mV.
        {"voltage=1999", Step::Stop, true},
        {"voltage=2000", Step::Proceed, false},
        {"voltage=3599", Step::Proceed, false},
        {"voltage=3600", Step::Stop, true},
        // Status 2 inside that range stops silently.
        {"voltage=3599,fault=status:0x25:2", Step::Stop, false},
        {"voltage=2000,fault=status:0x25:2", Step::Stop, false},
        {"voltage=3300,fault=status:0x25:2", Step::Stop, false},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        plug(c.settings);
        EXPECT_EQ(protocol.OpenTarget(0x14, 0x24), c.step) << c.settings;
        EXPECT_EQ(messages.messages.size(), c.message ? 1u : 0u) << c.settings;
    }
}

TEST_F(LinkTest, TargetRepliesTellWhatWentWrong) {
    struct Case {
        const char* settings;
        Step step;
        std::vector<std::string> messages;
    };
    const Case open[] = {
        {"target=none", Step::Stop, {"[Error occured !] DUT is no response!"}},
        {"fault=status:0x25:1", Step::Stop, {"[Error occured !] Checksum is not match !"}},
        {"fault=status:0x25:9", Step::Stop, {"[Error occured !] Can't handle the error code!"}},
        {"fault=tag:0x25", Step::NoReply, {}},
    };
    for (const auto& c : open) {
        messages.messages.clear();
        plug(c.settings);
        EXPECT_EQ(protocol.OpenTarget(0x14, 0x24), c.step) << c.settings;
        EXPECT_EQ(texts(messages), c.messages) << c.settings;
    }
    const Case check[] = {
        {"fault=status:0x23:6", Step::Proceed, {}},
        {"fault=status:0x23:4", Step::Stop, {}},
        {"fault=status:0x23:3", Step::Stop, {"[Error occured !] DUT is no response!"}},
        {"fault=tag:0x23", Step::NoReply, {}},
    };
    for (const auto& c : check) {
        messages.messages.clear();
        plug(c.settings);
        ASSERT_EQ(protocol.OpenTarget(0x14, 0x24), Step::Proceed);
        EXPECT_EQ(protocol.CheckTarget(kRqd1Index, u"RQD-1"), c.step) << c.settings;
        EXPECT_EQ(texts(messages), c.messages) << c.settings;
    }
}

// The parameter bytes come from the part's descriptor (keys 24 and 25); a program that
// sends others reaches no chip.
TEST_F(LinkTest, OpenTargetWithAnotherPartsParameterBytesFindsNoTarget) {
    struct Case {
        std::uint8_t parameter0;
        std::uint8_t parameter1;
        Step step;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {0x14, 0x24, Step::Proceed, {}},
        {0x00, 0x00, Step::Stop, {"[Error occured !] DUT is no response!"}},
        {0x24, 0x14, Step::Stop, {"[Error occured !] DUT is no response!"}},
        {0x14, 0x0D, Step::Stop, {"[Error occured !] DUT is no response!"}},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        plug("target=RQD-1");
        EXPECT_EQ(protocol.OpenTarget(c.parameter0, c.parameter1), c.step) << +c.parameter1;
        EXPECT_EQ(texts(messages), c.messages) << +c.parameter1;
        EXPECT_EQ(control()->statistics().targetOpen, c.step == Step::Proceed);
    }
}

// The data phase as a host that frames it wrongly sends it, through the library's open
// adapter: the adapter answers status 4 and the command fails, silently as the
// programmer's rules have it; the rest of the phase is refused.
TEST_F(LinkTest, ADataPhaseFramedWronglyFailsItsCommand) {
    using Report = std::vector<std::uint8_t>;
    struct Case {
        const char* name;
        std::size_t report; // which of the three reports is spoilt
        void (*spoil)(Report&);
    };
    const Case cases[] = {
        {"65-byte reports", 0, [](Report& r) { r.resize(65); }},
        {"130-byte reports", 0, [](Report& r) { r.push_back(0); }},
        {"report ID 1", 0, [](Report& r) { r[0] = 1; }},
        {"report ID 1 in the last", 2, [](Report& r) { r[0] = 1; }},
        {"non-zero bytes after the data", 2, [](Report& r) { r[1 + 44] = 0xEE; }},
    };
    const auto code = pattern(300); // 128 + 128 + 44 bytes
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plug("");
        ASSERT_EQ(protocol.OpenTarget(0x14, 0x24), Step::Proceed);
        ASSERT_EQ(protocol.EraseChip(), 0);
        RecordingHandle recorder(handle());
        recorder.reshape = [&c, n = std::size_t{0}](Report& r) mutable {
            if (n++ == c.report) {
                c.spoil(r);
            }
        };
        void* own = link.HidDevice->handle;
        link.HidDevice->handle = &recorder;
        const int result = protocol.RunDataCommand(CMD_PROGRAM_CODE, code);
        link.HidDevice->handle = own;
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(messages.messages.empty());
        const auto flash = readFile("flash.bin");
        ASSERT_EQ(flash.size(), 0x18000u);
        EXPECT_TRUE(
            std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
        // The spoilt report was the last the adapter took.
        const auto counts = control()->statistics();
        EXPECT_EQ(counts.featureReportsSent, c.report + 1);
        EXPECT_EQ(counts.featureReportsRefused, c.report < 2 ? 1u : 0u);
    }
}

TEST_F(LinkTest, CheckTargetNamesThePartTheChipIsNot) {
    plug("target=RQD-1");
    const ChipCatalogue catalogue(tables);
    const auto other = catalogue.findPart(u"RQE-2");
    ASSERT_TRUE(other);
    ASSERT_EQ(protocol.OpenTarget(0x14, 0x24), Step::Proceed);
    EXPECT_EQ(protocol.CheckTarget(static_cast<std::uint16_t>(*other), u"RQE-2"), Step::Stop);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Target is not \"RQE-2\" !");
    EXPECT_EQ(messages.messages[0].caption, "Error !");
    EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Error);
}

TEST_F(LinkTest, EraseChipTellsEachFailure) {
    struct Case {
        const char* settings;
        int result;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"", 0, {}},
        {"fault=status:0x0D:4", 21, {"[Error occured !] Erase Chip Fail!"}},
        {"fault=status:0x0D:1", 21, {"[Error occured !] Checksum is not match !"}},
        {"fault=status:0x0D:3", 21, {"[Error occured !] DUT is no response!"}},
        {"voltage=5500,fault=status:0x0D:2",
         21,
         {"[Error occured !] DUT's voltage is out of range !"}},
        {"voltage=5499,fault=status:0x0D:2", 21, {}},
        {"fault=tag:0x0D", 13, {}},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        plug(c.settings);
        protocol.OpenTarget(0x14, 0x24); // 5500 mV keeps the target off; the fault answers
        messages.messages.clear();
        EXPECT_EQ(protocol.EraseChip(), c.result) << c.settings;
        EXPECT_EQ(texts(messages), c.messages) << c.settings;
    }
}

TEST_F(LinkTest, ASilentAdapterGives258AfterFourSecondsAndTheReadIsCancelled) {
    plug("fault=drop:0x19");
    EmulatorControl* emulator = control();
    ASSERT_NE(emulator, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_CODE, pattern(8)), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(4000));
    EXPECT_LT(waited, std::chrono::milliseconds(30000));
    EXPECT_EQ(emulator->statistics().cancels, 1u);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LinkTest, ADataCommandOfLengthZeroStillSendsTheCommandAndReadsTheReply) {
    plug("");
    EmulatorControl* emulator = control();
    ASSERT_NE(emulator, nullptr);
    link.Ice[12] = 0x55;
    link.Ice[139] = 0x66;
    link.Ice[140] = 0x77;
    EXPECT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_CODE, {}), 1);
    EXPECT_EQ(link.Ice[12], 0);
    EXPECT_EQ(link.Ice[13], 0);
    EXPECT_EQ(link.Ice[139], 0);
    EXPECT_EQ(link.Ice[140], 0x77) << "only bytes 12 to 139 are cleared";
    const auto counts = emulator->statistics();
    EXPECT_EQ(counts.featureReportsSent, 0u);
    EXPECT_EQ(counts.outputReports, 1u);
    EXPECT_EQ(counts.inputReports, 1u);
    EXPECT_EQ(observer.percents, (std::vector<int>{100, -1}));
}

TEST_F(LinkTest, ADataLengthTheAdapterCannotTakeEndsTheSendingAndTheReplyDecides) {
    plug("");
    ASSERT_EQ(protocol.OpenTarget(0x14, 0x24), Step::Proceed);
    // One byte more than the flash: the adapter refuses the first report and says status 4.
    EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_CODE, pattern(0x18001)), 0);
    EXPECT_EQ(control()->statistics().featureReportsRefused, 1u);
    EXPECT_EQ(observer.percents, (std::vector<int>{100, -1}));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LinkTest, QuittingDuringTheDataPhaseFailsTheCommandAndPutsTheQuitBack) {
    plug("");
    observer.quitAfter = 2;
    EXPECT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_CODE, pattern(1000)), 0);
    EXPECT_EQ(observer.quitsPosted, 1);
    EXPECT_EQ(control()->statistics().featureReportsSent, 2u);
    EXPECT_EQ(observer.percents, (std::vector<int>{12, 25}));
}

TEST_F(LinkTest, ReadDataKeepsOffTheRequestTag) {
    plug("");
    std::vector<std::uint8_t> code(100, 0x3C);
    ASSERT_EQ(protocol.RunDataCommand(CMD_STORE_PROJECT_CODE, code), 1);
    link.Ice[IceLayout::kTag] = 0xA5;
    std::uint8_t* area = link.Ice + IceLayout::kReadBack;
    const auto room = static_cast<std::uint32_t>(IceLayout::kTag - IceLayout::kReadBack);
    EXPECT_NE(link.ICE_Read_Data(CMD_READ_STORED_CODE, area, 0, room + 1), 0);
    EXPECT_NE(link.ICE_Read_Data(CMD_READ_STORED_CODE, area, 0, 0xFFFFFFFF), 0);
    EXPECT_EQ(link.Ice[IceLayout::kTag], 0xA5);
    EXPECT_NE(link.ICE_Read_Data(CMD_READ_STORED_CODE, area, 0, 101), 0) << "beyond the store";
    EXPECT_EQ(link.ICE_Read_Data(CMD_READ_STORED_CODE, area, 0, 100), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(area, area + 100), code);
}

TEST_F(LinkTest, FirmwareCheckComparesWithTheCarriedImageAndFillsByte18) {
    struct Case {
        const char* settings;
        int mismatch;
        std::uint8_t offline;
    };
    for (const Case c :
         {Case{"firmware=current", 0, 1}, Case{"firmware=old", 1, 1}, Case{"offline=0", 0, 0}}) {
        plug(c.settings);
        link.Ice[IceLayout::kOfflineCapable] = 0x77;
        int mismatch = -1;
        EXPECT_EQ(link.ICE_Check_Firmware(&mismatch), 0) << c.settings;
        EXPECT_EQ(mismatch != 0, c.mismatch != 0) << c.settings;
        EXPECT_EQ(link.Ice[IceLayout::kOfflineCapable], c.offline) << c.settings;
    }
    EXPECT_NE(link.ICE_Check_Firmware(nullptr), 0);
    link.DisconnectHIDDevice();
    int mismatch = 0;
    EXPECT_NE(link.ICE_Check_Firmware(&mismatch), 0) << "nothing open";
}

TEST_F(LinkTest, ALibraryWithoutFirmwareCannotCompare) {
    LinkLibrary bare;
    ASSERT_EQ(bare.load(std::string(HALDEN_TEST_LIB_DIR) + "/M3_Tavro-nofw.fixture.so"), 0u);
    const auto exports = bare.bindExports();
    setenv("TAVRO_EMULATOR", settingsFor("").c_str(), 1);
    ASSERT_EQ(exports.ConnectHIDDevice(0, 0, 1), 0);
    int mismatch = 0;
    EXPECT_NE(exports.ICE_Check_Firmware(&mismatch), 0);
    exports.DisconnectHIDDevice();
}

TEST_F(LinkTest, OpensOnlyTheDeviceAskedForAndKeepsTheOpenOneOnFailure) {
    plug("");
    void* open = link.HidDevice->handle;
    EXPECT_EQ(link.HidDevice->featureReportLength, 129);
    EXPECT_EQ(link.HidDevice->inputReportLength, 65);
    EXPECT_EQ(link.HidDevice->outputReportLength, 65);
    EXPECT_NE(link.ConnectHIDDevice(0x2E7B, 0x0FFF, 0), 0);
    EXPECT_EQ(link.HidDevice->handle, open);
    EXPECT_NE(link.ConnectHIDDevice(0x1234, 0x0325, 0), 0);
    EXPECT_NE(link.ConnectHIDDevice(0, 0, 0), 0);
    EXPECT_EQ(link.ConnectHIDDevice(0x2E7B, 0x0325, 0), 0);
    EXPECT_EQ(link.CheckDevice(), 0);
    EXPECT_EQ(link.DisconnectHIDDevice(), 0);
    EXPECT_EQ(link.HidDevice->handle, nullptr);
    EXPECT_NE(link.ICE_Write(), 0);
    EXPECT_NE(link.ICE_Send_Command(CMD_CLOSE_TARGET, 1), 0);
    EXPECT_EQ(protocol.RunDataCommand(CMD_PROGRAM_CODE, pattern(4)), 0);
    // The erase hands the library's refusal on; the target commands find no reply.
    EXPECT_EQ(protocol.EraseChip(), link.ICE_Send_Command(CMD_ERASE_CHIP, 1));
    EXPECT_EQ(protocol.OpenTarget(0x14, 0x24), Step::NoReply);

    setenv("TAVRO_EMULATOR", "voltage=lots", 1);
    EXPECT_NE(link.ConnectHIDDevice(0, 0, 1), 0);
    EXPECT_EQ(control(), nullptr);
}

// What the firmware-upgrade worker does through the library: switch, reopen as the boot
// loader, download, restart, while a watcher on another thread sees the adapter come
// and go.
TEST_F(LinkTest, UpgradesTheAdapterFirmwareThroughItsBootLoader) {
    plug("firmware=old");
    // Device changes come on the library's own thread, as the platform broadcasts them.
    struct Watcher : HidDeviceListener {
        void arrived(const std::string& path) override { add("+" + path.substr(8, 17)); }
        void removed(const std::string& path) override { add("-" + path.substr(8, 17)); }
        void add(std::string event) {
            // A watcher may call into the library while the change's own call is still
            // in it (the switch happens inside ICE_Send_Command).
            library->CheckDevice();
            const std::lock_guard lock(mutex);
            seen.push_back(std::move(event));
            changed.notify_all();
        }
        std::vector<std::string> waitFor(std::size_t count) {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return seen.size() >= count; });
            return seen;
        }
        const LinkExports* library = nullptr;
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::string> seen;
    } watcher;
    watcher.library = &link;
    control()->subscribe(watcher);
    int mismatch = 0;
    ASSERT_EQ(link.ICE_Check_Firmware(&mismatch), 0);
    ASSERT_NE(mismatch, 0);

    const auto image = LinkLibraryFile::firmwareImage(libraryPath());
    ASSERT_TRUE(image);
    std::thread worker([&] {
        link.Ice[12] = kEnterBootloaderParameter0;
        link.Ice[13] = kEnterBootloaderParameter1;
        ASSERT_EQ(link.ICE_Send_Command(CMD_ENTER_BOOTLOADER, 1), 0);
        link.DisconnectHIDDevice();
        ASSERT_EQ(link.ConnectHIDDevice(0x2E7B, 0x030B, 0), 0);
        const std::size_t f = link.HidDevice->featureReportLength;
        ASSERT_EQ(f, 65u);
        std::vector<std::uint8_t> report(f, 0);
        report[1] = 0x33;
        report[5] = static_cast<std::uint8_t>(image->size() >> 16);
        report[6] = static_cast<std::uint8_t>(image->size() >> 8);
        report[7] = static_cast<std::uint8_t>(image->size());
        ASSERT_TRUE(handle().sendFeature(report));
        for (std::size_t at = 0; at < image->size(); at += f - 1) {
            std::fill(report.begin(), report.end(), 0);
            const auto n = std::min(f - 1, image->size() - at);
            std::copy_n(image->begin() + at, n, report.begin() + 1);
            ASSERT_TRUE(handle().sendFeature(report));
        }
        std::fill(report.begin(), report.end(), 0);
        report[1] = 0x22;
        report[7] = 2;
        ASSERT_TRUE(handle().sendFeature(report));
        ASSERT_TRUE(handle().getFeature(report));
        const auto sum = CommandBlock::dataChecksum(*image);
        EXPECT_EQ(report[1], sum >> 8);
        EXPECT_EQ(report[2], sum & 0xFF);
        std::fill(report.begin(), report.end(), 0);
        report[1] = 0x44;
        ASSERT_TRUE(handle().sendFeature(report));
        link.DisconnectHIDDevice();
    });
    worker.join();
    const auto seen = watcher.waitFor(4);
    control()->unsubscribe(watcher);
    EXPECT_EQ(seen, (std::vector<std::string>{"-Vid_2e7b&Pid_0325", "+Vid_2e7b&Pid_030b",
                                              "-Vid_2e7b&Pid_030b", "+Vid_2e7b&Pid_0325"}));
    ASSERT_EQ(link.ConnectHIDDevice(0, 0, 1), 0);
    ASSERT_EQ(link.ICE_Check_Firmware(&mismatch), 0);
    EXPECT_EQ(mismatch, 0);
}

} // namespace
} // namespace halden
