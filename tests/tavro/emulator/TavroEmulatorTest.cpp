#include "adapter/hid/HidDevicePath.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterStatus.h"
#include "tavro/emulator/EmulatorState.h"
#include "tests/support/TempDir.h"
#include "tests/tavro/emulator/EmulatorClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <future>
#include <sys/resource.h>
#include <thread>

namespace halden {
namespace {

using test::EmulatorClient;
using test::makeEmulator;
using test::pattern;

constexpr std::uint16_t kRqd1Index = 36;
constexpr std::uint32_t kRqd1Flash = 0x18000;

// Arrivals and removals in the order they came, "+path" and "-path".
struct Events : HidDeviceListener {
    void arrived(const std::string& path) override { seen.push_back("+" + pidOf(path)); }
    void removed(const std::string& path) override { seen.push_back("-" + pidOf(path)); }
    static std::string pidOf(const std::string& path) {
        const auto at = path.find("Pid_");
        return at == std::string::npos ? path : path.substr(at + 4, 4);
    }
    std::vector<std::string> seen;
};

EmulatorClient openProgrammer(TavroEmulator& emulator) {
    auto handle = emulator.open(kTavroVendorId, PRODUCT_PROGRAMMER);
    EXPECT_TRUE(handle);
    return EmulatorClient(std::move(handle), emulator.part());
}

TEST(TavroEmulator, RefusesATargetTheCatalogueDoesNotKnow) {
    std::string error;
    EXPECT_FALSE(TavroEmulator::create("target=XYZ-9", 0x0105, BuiltInParts::table(), &error));
    EXPECT_NE(error.find("XYZ-9"), std::string::npos);
    EXPECT_FALSE(TavroEmulator::create("voltage=high", 0x0105, BuiltInParts::table(), &error));
}

TEST(TavroEmulator, ShowsUpUnderTheProductIdOfItsModeWithThatModesReportLengths) {
    struct Case {
        const char* settings;
        std::uint16_t product;
        std::size_t feature;
    };
    const Case cases[] = {{"mode=normal", 0x0325, 129},
                          {"mode=0331", 0x0331, 129},
                          {"mode=0FFF", 0x0FFF, 129},
                          {"mode=boot", 0x030B, 65}};
    for (const auto& c : cases) {
        auto emulator = makeEmulator(c.settings);
        const auto devices = emulator->enumerate(kTavroVendorId);
        ASSERT_EQ(devices.size(), 1u) << c.settings;
        EXPECT_EQ(devices[0].productId, c.product);
        EXPECT_EQ(HidDevicePath::productId(devices[0].path, 0x2E7B), c.product);
        EXPECT_TRUE(emulator->enumerate(0x1234).empty());
        EXPECT_FALSE(emulator->open(kTavroVendorId, 0x0999));
        auto handle = emulator->open(kTavroVendorId, c.product);
        ASSERT_TRUE(handle) << c.settings;
        EXPECT_EQ(handle->featureReportLength(), c.feature);
        EXPECT_EQ(handle->inputReportLength(), 65u);
        EXPECT_EQ(handle->outputReportLength(), 65u);
    }
}

TEST(TavroEmulator, TargetCommandsFollowTheOpenTargetAndItsSupply) {
    struct Case {
        const char* settings;
        int open;
        std::uint16_t millivolts;
    };
    const Case cases[] = {{"voltage=1999", 2, 1999},
                          {"voltage=2000", 0, 2000},
                          {"voltage=3599", 0, 3599},
                          {"voltage=3600", 2, 3600},
                          {"target=none", 3, 3300}};
    for (const auto& c : cases) {
        auto emulator = makeEmulator(c.settings);
        auto client = openProgrammer(*emulator);
        EXPECT_EQ(client.simple(CMD_ERASE_CHIP), 3) << "not open yet, " << c.settings;
        client.command(CMD_OPEN_TARGET, 0, std::nullopt, 0x77);
        const auto reply = client.reply();
        ASSERT_TRUE(reply) << c.settings;
        EXPECT_EQ(reply->tag, 0x77);
        EXPECT_EQ(reply->status, c.open) << c.settings;
        EXPECT_EQ(reply->millivolts, c.millivolts);
        EXPECT_EQ(emulator->targetOpen(), c.open == 0);
    }
}

// The parameter bytes set up the chip's interface: with any but the part's own the
// powered chip never answers, and a target that was open is not any more.
TEST(TavroEmulator, OpensTheTargetOnlyWithThePartsParameterBytes) {
    auto emulator = makeEmulator("target=RQD-1");
    ASSERT_EQ(emulator->part()->parameter0, 0x14);
    ASSERT_EQ(emulator->part()->parameter1, 0x24);
    auto client = openProgrammer(*emulator);
    struct Case {
        std::uint16_t parameters; // byte 12 low, byte 13 high
        int status;
    };
    for (const Case c : {Case{0x2414, 0}, Case{0x0000, 3}, Case{0x1424, 3}, Case{0x2514, 3},
                         Case{0x2415, 3}, Case{0x2414, 0}}) {
        client.command(CMD_OPEN_TARGET, 0, c.parameters);
        const auto reply = client.reply();
        ASSERT_TRUE(reply) << std::hex << c.parameters;
        EXPECT_EQ(reply->status, c.status) << std::hex << c.parameters;
        EXPECT_EQ(emulator->targetOpen(), c.status == 0) << std::hex << c.parameters;
        EXPECT_EQ(client.simple(CMD_ERASE_CHIP), c.status == 0 ? 0 : 3) << std::hex << c.parameters;
    }
}

TEST(TavroEmulator, ChecksTheChipIdOfThePartIndexItIsAskedAbout) {
    auto emulator = makeEmulator("target=RQD-1");
    auto client = openProgrammer(*emulator);
    ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
    const auto other = BuiltInParts::table().find("RQE-1");
    ASSERT_TRUE(other);
    ASSERT_NE(other->chipId, BuiltInParts::table().find("rqd-1")->chipId);
    struct Case {
        std::uint16_t index;
        int status;
    };
    for (const Case c : {Case{kRqd1Index, 0}, Case{other->index, 5}, Case{4000, 5}}) {
        client.command(CMD_CHECK_TARGET, 0, c.index);
        const auto reply = client.reply();
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, c.status) << c.index;
    }
    client.command(CMD_CLOSE_TARGET);
    EXPECT_FALSE(client.reply(20)) << "close-target has no reply";
    EXPECT_EQ(client.simple(CMD_CHECK_TARGET), 3);
}

TEST(TavroEmulator, ProgramsFlashLikeFlashAndChecksEveryDataPhase) {
    auto emulator = makeEmulator("");
    auto client = openProgrammer(*emulator);
    ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
    ASSERT_EQ(client.simple(CMD_ERASE_CHIP), 0);
    const auto code = pattern(300);
    EXPECT_EQ(client.dataCommand(CMD_PROGRAM_CODE, code), 0);
    EXPECT_EQ(client.read(CMD_READ_TARGET_CODE, 300), code);
    EXPECT_EQ(emulator->memory().flash[300], 0xFF);

    // Programming over programmed flash only clears bits.
    const auto other = pattern(300, 7);
    EXPECT_EQ(client.dataCommand(CMD_PROGRAM_CODE, other), 0);
    const auto read = client.read(CMD_READ_TARGET_CODE, 300);
    ASSERT_EQ(read.size(), 300u);
    for (std::size_t i = 0; i < read.size(); ++i) {
        ASSERT_EQ(read[i], code[i] & other[i]) << i;
    }

    // A wrong checksum is status 1 and changes nothing.
    client.command(CMD_PROGRAM_OPTIONS, 4, 0x1234);
    EXPECT_EQ(client.data(std::vector<std::uint8_t>{1, 2, 3, 4}), 1u);
    EXPECT_EQ(client.reply()->status, 1);
    EXPECT_EQ(emulator->memory().options, std::vector<std::uint8_t>(128, 0xFF));

    // A length beyond the flash is answered at once and its data refused.
    client.command(CMD_PROGRAM_CODE, kRqd1Flash + 1);
    EXPECT_EQ(client.reply()->status, 4);
    EXPECT_EQ(client.data(pattern(128)), 0u);
    client.command(CMD_READ_TARGET_CODE, 16, 0, 0x42, kRqd1Flash - 8);
    EXPECT_EQ(client.reply()->status, 4);

    // No data phase: feature reports are refused, and so is reading one.
    std::vector<std::uint8_t> report(129);
    EXPECT_FALSE(client.handle().sendFeature(report));
    EXPECT_FALSE(client.handle().getFeature(report));

    // Unknown commands fail; a data command of length 0 is answered at once.
    EXPECT_EQ(client.simple(0x55), 4);
    EXPECT_EQ(client.dataCommand(CMD_PROGRAM_OPTIONS, {}), 0);
    EXPECT_TRUE(emulator->memory().options.empty());
}

// Data-phase reports as a host that frames them wrongly sends them; the adapter takes
// the report off the bus, answers status 4 at once and keeps nothing of the phase.
TEST(TavroEmulator, ADataReportFramedWronglyFailsItsCommandAtOnce) {
    using Report = std::vector<std::uint8_t>;
    struct Case {
        const char* name;
        std::size_t report; // which of the phase's two reports is spoilt
        void (*spoil)(Report&);
    };
    const Case cases[] = {
        {"65 bytes", 0, [](Report& r) { r.resize(65); }},
        {"130 bytes", 0, [](Report& r) { r.push_back(0); }},
        {"a short last report", 1, [](Report& r) { r.resize(1 + 72); }},
        {"report ID 1", 0, [](Report& r) { r[0] = 1; }},
        {"report ID 1 last", 1, [](Report& r) { r[0] = 1; }},
        {"a byte after the data", 1, [](Report& r) { r[1 + 72] = 0xFF; }},
        {"the last byte", 1, [](Report& r) { r[128] = 1; }},
    };
    const auto code = pattern(200); // 128 + 72 bytes
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto emulator = makeEmulator("");
        auto client = openProgrammer(*emulator);
        ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
        ASSERT_EQ(client.simple(CMD_ERASE_CHIP), 0);
        client.command(CMD_PROGRAM_CODE, 200, TavroFrames::checksum(code));
        for (std::size_t i = 0; i < 2; ++i) {
            Report report(129, 0);
            const std::size_t n = std::min<std::size_t>(128, code.size() - i * 128);
            std::copy_n(code.begin() + i * 128, n, report.begin() + 1);
            if (i == c.report) {
                c.spoil(report);
                EXPECT_TRUE(client.handle().sendFeature(report)) << "taken off the bus";
                break;
            }
            ASSERT_TRUE(client.handle().sendFeature(report));
            EXPECT_FALSE(client.reply(0)) << "no reply before the last report";
        }
        const auto reply = client.reply();
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 4);
        EXPECT_EQ(emulator->memory().flash, std::vector<std::uint8_t>(kRqd1Flash, 0xFF));
        EXPECT_FALSE(client.handle().sendFeature(std::vector<std::uint8_t>(129, 0)))
            << "the data phase is over";
    }
    // The same phase framed right lands.
    auto emulator = makeEmulator("");
    auto client = openProgrammer(*emulator);
    ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
    EXPECT_EQ(client.dataCommand(CMD_PROGRAM_CODE, code), 0);
    EXPECT_EQ(client.read(CMD_READ_TARGET_CODE, 200), code);
}

std::vector<std::uint8_t> projectHeader(std::uint8_t optionCount) {
    std::vector<std::uint8_t> header(69 + optionCount, 0);
    header[2] = static_cast<std::uint8_t>(header.size());
    header[4] = 1;
    header[68] = optionCount;
    const auto sum = TavroFrames::checksum(std::span(header).subspan(2));
    header[0] = static_cast<std::uint8_t>(sum);
    header[1] = static_cast<std::uint8_t>(sum >> 8);
    return header;
}

TEST(TavroEmulator, StoresAnOffLineProjectOnlyWhenItCanAndTheHeaderHolds) {
    auto emulator = makeEmulator("");
    auto client = openProgrammer(*emulator);
    auto header = projectHeader(16);
    EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_HEADER, header), 0);
    const auto code = pattern(1000);
    EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_CODE, code), 0);
    EXPECT_EQ(client.read(CMD_READ_STORED_CODE, 1000), code);
    EXPECT_EQ(emulator->memory().storedHeader, header);

    header[20] = 1; // the header checksum no longer holds
    const auto bad = header;
    EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_HEADER, bad), 4);
    EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_HEADER, pattern(40)), 4);

    auto without = makeEmulator("offline=0");
    auto other = openProgrammer(*without);
    EXPECT_EQ(other.dataCommand(CMD_STORE_PROJECT_HEADER, projectHeader(16)), 4);
    EXPECT_EQ(other.dataCommand(CMD_STORE_PROJECT_CODE, code), 4);
}

TEST(TavroEmulator, FaultsChangeTheRepliesOfTheirCommand) {
    auto emulator = makeEmulator("fault=drop:0x0D,fault=tag:0x23,fault=status:0x25:2");
    auto client = openProgrammer(*emulator);
    client.command(CMD_OPEN_TARGET, 0, std::nullopt, 0x10);
    auto reply = client.reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->tag, 0x10);
    EXPECT_EQ(reply->status, 2);
    EXPECT_EQ(reply->millivolts, 3300);
    client.command(CMD_CHECK_TARGET, 0, kRqd1Index, 0x10);
    reply = client.reply();
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->tag, 0x10);
    EXPECT_EQ(reply->status, 0);
    EXPECT_FALSE(client.reply(20));
    client.command(CMD_ERASE_CHIP);
    EXPECT_FALSE(client.reply(50)) << "erase is dropped";
}

// A reply that comes under another report ID is not one the host can read: the read
// fails with 13 and says why, and the next reply reads as usual.
TEST(TavroEmulator, BadReportFaultSendsTheReplyUnderAnotherReportId) {
    auto emulator = makeEmulator("fault=badreport:0x23");
    auto client = openProgrammer(*emulator);
    ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
    client.command(CMD_CHECK_TARGET, 0, kRqd1Index);
    std::vector<std::uint8_t> buffer(65, 0xA5);
    EXPECT_EQ(client.handle().readInput(buffer, 100), HidHandle::kInvalidData);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(65, 0xA5)) << "nothing is copied";
    EXPECT_EQ(client.handle().lastError(),
              "the data is invalid: input report 1 came, not report 0");
    EXPECT_EQ(client.handle().readInput(buffer, 10), HidHandle::kTimeout) << "it was dropped";
    EXPECT_EQ(client.simple(CMD_ERASE_CHIP), 0);

    auto every = makeEmulator("fault=badreport");
    auto other = openProgrammer(*every);
    other.command(TavroFrames::kInfo);
    EXPECT_EQ(other.handle().readInput(buffer, 100), HidHandle::kInvalidData);
}

TEST(TavroEmulator, RefusesFeatureReportsAfterTheFaultsCount) {
    auto emulator = makeEmulator("fault=refuse:2");
    auto client = openProgrammer(*emulator);
    client.command(CMD_STORE_PROJECT_CODE, 512, TavroFrames::checksum(pattern(512)));
    EXPECT_EQ(client.data(pattern(512)), 2u);
    const auto counts = emulator->statistics();
    EXPECT_EQ(counts.featureReportsSent, 2u);
    EXPECT_EQ(counts.featureReportsRefused, 2u);
    EXPECT_FALSE(client.reply(20)) << "the data never came whole";
}

TEST(TavroEmulator, UnplugsAfterTheFaultsCountOfReports) {
    auto emulator = makeEmulator("fault=unplug:3");
    Events events;
    emulator->subscribe(events);
    auto client = openProgrammer(*emulator);
    EXPECT_EQ(client.simple(CMD_OPEN_TARGET), 0);
    EXPECT_EQ(client.simple(CMD_ERASE_CHIP), 0);
    EXPECT_TRUE(client.command(CMD_CHECK_TARGET));
    EXPECT_FALSE(client.command(CMD_CHECK_TARGET));
    EXPECT_EQ(events.seen, std::vector<std::string>{"-0325"});
    std::vector<std::uint8_t> buffer(65);
    EXPECT_EQ(client.handle().readInput(buffer, 10), HidHandle::kDeviceGone);
    EXPECT_EQ(emulator->productId(), 0);
    EXPECT_TRUE(emulator->enumerate(kTavroVendorId).empty());
    EXPECT_FALSE(emulator->open(kTavroVendorId, PRODUCT_PROGRAMMER));
    emulator->unsubscribe(events);
}

TEST(TavroEmulator, CancelEndsAReadWaitingOnAnotherThread) {
    auto emulator = makeEmulator("");
    auto client = openProgrammer(*emulator);
    EXPECT_EQ(emulator->statistics().cancels, 0u);
    client.handle().cancel(); // nothing waits: no effect on the next read
    auto reader = std::async(std::launch::async, [&] {
        std::vector<std::uint8_t> buffer(65);
        return client.handle().readInput(buffer, 20000);
    });
    while (reader.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
           emulator->statistics().cancelledReads == 0) {
        client.handle().cancel();
    }
    EXPECT_EQ(reader.get(), HidHandle::kAborted);
    EXPECT_EQ(emulator->statistics().cancelledReads, 1u);
}

TEST(TavroEmulator, KeepsItsMemoryInTheStateFolder) {
    test::TempDir dir;
    const std::string settings = "state=" + dir.path().string();
    const auto code = pattern(700);
    const auto header = projectHeader(4);
    {
        auto emulator = makeEmulator(settings);
        auto client = openProgrammer(*emulator);
        ASSERT_EQ(client.simple(CMD_OPEN_TARGET), 0);
        ASSERT_EQ(client.simple(CMD_ERASE_CHIP), 0);
        ASSERT_EQ(client.dataCommand(CMD_PROGRAM_CODE, code), 0);
        ASSERT_EQ(client.dataCommand(CMD_PROGRAM_OPTIONS, pattern(128, 3)), 0);
        ASSERT_EQ(client.dataCommand(CMD_STORE_PROJECT_HEADER, header), 0);
        ASSERT_EQ(client.dataCommand(CMD_STORE_PROJECT_CODE, code), 0);
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "flash.bin"), kRqd1Flash);
    auto again = makeEmulator(settings);
    const auto memory = again->memory();
    EXPECT_TRUE(std::equal(code.begin(), code.end(), memory.flash.begin()));
    EXPECT_EQ(memory.options, pattern(128, 3));
    EXPECT_EQ(memory.storedHeader, header);
    EXPECT_EQ(memory.storedCode, code);
}

// A file size limit stands in for a full disk: every write beyond it fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(TavroEmulator, AStateWriteThatFailsKeepsTheGoodFilesAndSaysWhichFailed) {
    test::TempDir dir;
    const EmulatorState state(dir.path());
    AdapterMemory memory;
    memory.flash = pattern(kRqd1Flash, 1);
    memory.options = pattern(128, 2);
    memory.firmware = 0x0105;
    const unsigned all = AdapterMemory::kFlash | AdapterMemory::kOptions | AdapterMemory::kFirmware;
    ASSERT_EQ(state.save(memory, all), "");

    AdapterMemory changed = memory;
    changed.flash = pattern(kRqd1Flash, 7);
    changed.options = pattern(128, 8);
    changed.firmware = 0x0207;
    std::string failure;
    {
        const FileSizeLimit full(2);
        failure = state.save(changed, all);
    }
    for (const char* name : {"flash.bin", "options.bin", "firmware.txt"}) {
        EXPECT_NE(failure.find((dir / name).string()), std::string::npos) << failure;
    }
    AdapterMemory loaded;
    loaded.flash.assign(kRqd1Flash, 0);
    state.load(loaded);
    EXPECT_EQ(loaded.flash, memory.flash);
    EXPECT_EQ(loaded.options, memory.options);
    EXPECT_EQ(loaded.firmware, 0x0105);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"firmware.txt", "flash.bin", "options.bin"}));
}

TEST(TavroEmulator, LeavesStateFilesThatDoNotFitAlone) {
    test::TempDir dir;
    dir.write("flash.bin", std::string(100, '\0'));             // not the part's size
    dir.write("stored-code.bin", std::string(0x40001, 'x'));    // above the store
    dir.write("stored-header.bin", std::string(69 + 256, 'x')); // above any header
    dir.write("firmware.txt", "1.x\n");
    auto emulator = makeEmulator("state=" + dir.path().string(), 0x0105);
    const auto memory = emulator->memory();
    EXPECT_EQ(memory.flash, std::vector<std::uint8_t>(kRqd1Flash, 0xFF));
    EXPECT_TRUE(memory.storedCode.empty());
    EXPECT_TRUE(memory.storedHeader.empty());
    EXPECT_EQ(memory.firmware, 0x0105);

    struct Case {
        const char* text;
        std::optional<std::uint16_t> version;
    };
    for (const Case c : {Case{"1.5\n", 0x0105}, Case{"2.10", 0x020A}, Case{"256.1", {}},
                         Case{"1", {}}, Case{".5", {}}, Case{"1.5.1", {}}, Case{"-1.5", {}}}) {
        EXPECT_EQ(EmulatorState::parseFirmware(c.text), c.version) << c.text;
    }
}

// Begin, the image in 64-byte reports, Check, then Restart, as the upgrade sends them.
struct Download {
    explicit Download(HidHandle& handle) : handle(handle) {}
    bool send(std::vector<std::uint8_t> report) {
        report.resize(handle.featureReportLength(), 0);
        return handle.sendFeature(report);
    }
    bool begin(std::uint32_t length) {
        return send({0, TavroFrames::kBootBegin, 0, 0, 0, static_cast<std::uint8_t>(length >> 16),
                     static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    }
    std::size_t image(const std::vector<std::uint8_t>& image) {
        std::size_t reports = 0;
        const std::size_t chunk = handle.featureReportLength() - 1;
        for (std::size_t at = 0; at < image.size(); at += chunk, ++reports) {
            std::vector<std::uint8_t> report{0};
            report.insert(report.end(), image.begin() + at,
                          image.begin() + std::min(image.size(), at + chunk));
            EXPECT_TRUE(send(report));
        }
        return reports;
    }
    std::pair<std::uint8_t, std::uint8_t> check() {
        EXPECT_TRUE(send({0, TavroFrames::kBootCheck, 0, 0, 0, 0, 0, 2, 0}));
        std::vector<std::uint8_t> report(handle.featureReportLength(), 0);
        EXPECT_TRUE(handle.getFeature(report));
        return {report[1], report[2]};
    }
    HidHandle& handle;
};

TEST(TavroEmulator, TakesNewFirmwareThroughItsBootLoader) {
    test::TempDir dir;
    auto emulator = makeEmulator("firmware=old,state=" + dir.path().string(), 0x0105);
    Events events;
    emulator->subscribe(events);
    auto client = openProgrammer(*emulator);
    client.command(TavroFrames::kInfo);
    EXPECT_EQ(client.reply()->firmware, 0x0104);

    client.command(CMD_ENTER_BOOTLOADER, 0, 0x1234); // wrong parameters: stays
    EXPECT_EQ(emulator->productId(), 0x0325);
    client.command(CMD_ENTER_BOOTLOADER, 0, 0x8620);
    EXPECT_EQ(emulator->productId(), 0x030B);
    EXPECT_FALSE(client.command(CMD_OPEN_TARGET)) << "the old handle is gone";

    auto boot = emulator->open(kTavroVendorId, PRODUCT_BOOT_LOADER);
    ASSERT_TRUE(boot);
    Download download(*boot);
    EXPECT_FALSE(download.begin(BootLoader::kMaxImage + 1));
    auto image = pattern(129);
    image[127] = 2;
    image[128] = 7;
    ASSERT_TRUE(download.begin(129));
    EXPECT_EQ(download.image(image), 3u) << "64, 64 and 1 bytes";
    const auto sum = TavroFrames::checksum(image);
    EXPECT_EQ(download.check(), std::make_pair(std::uint8_t(sum >> 8), std::uint8_t(sum)));
    EXPECT_TRUE(download.send({0, TavroFrames::kBootRestart}));

    EXPECT_EQ(emulator->productId(), 0x0325);
    EXPECT_EQ(emulator->memory().firmware, 0x0207);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"-0325", "+030b", "-030b", "+0325"}));
    EXPECT_EQ(makeEmulator("firmware=old,state=" + dir.path().string())->memory().firmware, 0x0207)
        << "the upgrade is persisted";
    emulator->unsubscribe(events);
}

// A state folder that can keep nothing (a plain file in its place, a path below one): every
// command that changes the adapter fails and the change is taken back; commands that change
// nothing still work. New firmware is not started.
TEST(TavroEmulator, AChangeTheStateFolderCannotKeepFailsItsCommand) {
    test::TempDir dir;
    const auto file = dir.write("state", "a plain file");
    for (const auto& state : {file, file / "below"}) {
        SCOPED_TRACE(state.string());
        auto emulator = makeEmulator("state=" + state.string());
        auto client = openProgrammer(*emulator);
        ASSERT_EQ(client.simple(CMD_OPEN_TARGET), STATUS_DONE);
        EXPECT_EQ(client.simple(CMD_ERASE_CHIP), STATUS_FAILED);
        EXPECT_EQ(client.dataCommand(CMD_PROGRAM_CODE, pattern(700)), STATUS_FAILED);
        EXPECT_EQ(client.dataCommand(CMD_PROGRAM_OPTIONS, pattern(128, 3)), STATUS_FAILED);
        EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_HEADER, projectHeader(4)), STATUS_FAILED);
        EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_CODE, pattern(300)), STATUS_FAILED);
        const auto memory = emulator->memory();
        EXPECT_EQ(memory.flash, std::vector<std::uint8_t>(kRqd1Flash, 0xFF));
        EXPECT_EQ(memory.options, std::vector<std::uint8_t>(memory.options.size(), 0xFF));
        EXPECT_TRUE(memory.storedHeader.empty());
        EXPECT_TRUE(memory.storedCode.empty());
        EXPECT_EQ(client.read(CMD_READ_TARGET_CODE, 256), std::vector<std::uint8_t>(256, 0xFF));
    }

    auto emulator = makeEmulator("mode=boot,firmware=old,state=" + file.string(), 0x0105);
    auto boot = emulator->open(kTavroVendorId, PRODUCT_BOOT_LOADER);
    ASSERT_TRUE(boot);
    Download download(*boot);
    auto image = pattern(129);
    image[127] = 2;
    image[128] = 7;
    ASSERT_TRUE(download.begin(129));
    download.image(image);
    download.check();
    EXPECT_FALSE(download.send({0, TavroFrames::kBootRestart}));
    EXPECT_EQ(emulator->productId(), PRODUCT_BOOT_LOADER);
    EXPECT_EQ(emulator->memory().firmware, 0x0104);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_EQ(std::filesystem::file_size(file), 12u) << "the file in the folder's place stays";
}

TEST(TavroEmulator, BootLoaderFaultSwapsTheChecksumAndRestartNeedsAnImage) {
    auto emulator = makeEmulator("mode=boot,fault=bootswap");
    auto boot = emulator->open(kTavroVendorId, PRODUCT_BOOT_LOADER);
    ASSERT_TRUE(boot);
    Download download(*boot);
    EXPECT_TRUE(download.send({0, TavroFrames::kBootRestart}));
    EXPECT_EQ(emulator->productId(), 0x030B) << "no image came";

    const auto image = pattern(200);
    ASSERT_TRUE(download.begin(200));
    EXPECT_EQ(download.image(image), 4u);
    const auto sum = TavroFrames::checksum(image);
    EXPECT_EQ(download.check(), std::make_pair(std::uint8_t(sum), std::uint8_t(sum >> 8)));
}

TEST(TavroEmulator, TheSwitchReportSendsAnyModeButTheBootLoaderToIt) {
    for (const char* mode : {"mode=normal", "mode=0331", "mode=0FFF"}) {
        auto emulator = makeEmulator(mode);
        const auto product = emulator->enumerate(kTavroVendorId).at(0).productId;
        auto handle = emulator->open(kTavroVendorId, product);
        ASSERT_TRUE(handle);
        EXPECT_TRUE(handle->writeOutput(TavroFrames::switchFrame())) << mode;
        EXPECT_EQ(emulator->productId(), 0x030B) << mode;
    }
    auto stuck = makeEmulator("mode=0FFF");
    auto handle = stuck->open(kTavroVendorId, 0x0FFF);
    EmulatorClient client(std::move(handle), stuck->part());
    EXPECT_EQ(client.simple(CMD_OPEN_TARGET), -1) << "no firmware to answer commands";
}

TEST(TavroEmulator, UnderUsbTimingKeepsTheDataAndCountsTheFramesOfEachReport) {
    auto emulator = makeEmulator("latency=usb-fs");
    auto client = openProgrammer(*emulator);
    const auto code = pattern(300);
    EXPECT_EQ(client.dataCommand(CMD_STORE_PROJECT_CODE, code), 0);
    EXPECT_EQ(emulator->memory().storedCode, code);
    // The command frame takes two frames (65 bytes on the interrupt pipe), each feature
    // report one, the reply one.
    const auto counts = emulator->statistics();
    EXPECT_EQ(counts.featureReportsSent, 3u);
    EXPECT_EQ(counts.transportTime, std::chrono::milliseconds(2 + 3 + 1));
    emulator->resetStatistics();
    EXPECT_EQ(emulator->statistics().transportTime, std::chrono::nanoseconds(0));
}

TEST(UsbTiming, CountsFullSpeedFramesPerReport) {
    using Pipe = UsbTiming::Pipe;
    EXPECT_EQ(UsbTiming::frames(Pipe::Control, 128), 1u);
    EXPECT_EQ(UsbTiming::frames(Pipe::Control, 1024), 2u);
    EXPECT_EQ(UsbTiming::frames(Pipe::Interrupt, 64), 1u);
    EXPECT_EQ(UsbTiming::frames(Pipe::Interrupt, 65), 2u);
    EXPECT_EQ(UsbTiming::frames(Pipe::Interrupt, 0), 1u);

    const auto epoch = UsbTiming::Clock::time_point{} + std::chrono::hours(1);
    UsbTiming timing(true, epoch);
    const auto us = [](int n) { return std::chrono::microseconds(n); };
    // Asked for inside frame 0, the first transfer ends with it; the next follows.
    EXPECT_EQ(timing.book(Pipe::Control, 128, epoch + us(300)), epoch + us(1000));
    EXPECT_EQ(timing.book(Pipe::Control, 128, epoch + us(1100)), epoch + us(2000));
    EXPECT_EQ(timing.book(Pipe::Interrupt, 65, epoch + us(1500)), epoch + us(4000));
    // A host that is late by more than a frame loses the frames in between.
    EXPECT_EQ(timing.book(Pipe::Control, 128, epoch + us(6500)), epoch + us(7000));
    EXPECT_EQ(timing.transportTime(), std::chrono::milliseconds(5));

    UsbTiming off(false, epoch);
    EXPECT_EQ(off.book(Pipe::Control, 128, epoch + us(300)), epoch + us(300));
    EXPECT_EQ(off.transportTime(), std::chrono::milliseconds(1));
}

} // namespace
} // namespace halden
