#include "adapter/AdapterLink.h"
#include "adapter/LinkLibrary.h"
#include "adapter/hid/HidHandle.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterStatus.h"
#include "adapter/wire/LinkResult.h"
#include "adapter/wire/TavroFrames.h"
#include "tests/support/TempDir.h"
#ifdef HALDEN_HAVE_UMOCKDEV
#include "tests/support/hidraw/HidrawBed.h"
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace halden {
namespace {

// Where the adapter of a conformance run comes from. The same tests run against the
// emulator's own handle, and through hidapi's hidraw backend: against the emulator shown
// as /dev/hidrawN by a umockdev testbed, or against a real adapter on USB when
// HALDEN_REAL_ADAPTER=1 says one is plugged in. They only read, so a real target chip
// keeps its contents. select() gives what must live as long as the test.
struct EmulatedAdapter {
    static constexpr const char* kName = "emulator";
    static bool available(std::string&) { return true; }
    static std::shared_ptr<void> select(const std::filesystem::path& state) {
        setenv("TAVRO_EMULATOR", ("state=" + state.string()).c_str(), 1);
        return nullptr;
    }
};

bool realAdapterPlugged() {
    const char* flag = std::getenv("HALDEN_REAL_ADAPTER");
    return flag != nullptr && std::string(flag) == "1";
}

struct HidapiAdapter {
    static constexpr const char* kName = "hidapi";
    static bool available(std::string& why) {
#ifdef HALDEN_HAVE_UMOCKDEV
        (void)why;
        return true;
#else
        why = "set HALDEN_REAL_ADAPTER=1 with a Tavro adapter plugged in, or install umockdev";
        return realAdapterPlugged();
#endif
    }
    static std::shared_ptr<void> select(const std::filesystem::path& state) {
        unsetenv("TAVRO_EMULATOR");
#ifdef HALDEN_HAVE_UMOCKDEV
        if (!realAdapterPlugged()) {
            std::string error;
            const auto firmware =
                test::HidrawBed::libraryFirmware(std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so");
            return test::HidrawBed::create("state=" + state.string(), firmware, &error);
        }
#endif
        (void)state;
        return nullptr;
    }
};

template <typename Source> class AdapterConformance : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!Source::available(why)) {
            GTEST_SKIP() << why;
        }
        adapterSource = Source::select(state / "emu");
        ASSERT_EQ(library.load(std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so"), 0u);
        exports = library.bindExports();
        ASSERT_TRUE(exports.complete());
        link.setRecordSink([this](const LinkRecord& record) { records.push_back(record); });
        ASSERT_EQ(link.openProgrammer(), 0) << Source::kName;
    }
    void TearDown() override {
        if (exports.complete()) {
            link.close();
        }
        unsetenv("TAVRO_EMULATOR");
    }

    HidHandle& handle() { return *static_cast<HidHandle*>(exports.HidDevice->handle); }

    test::TempDir state;
    std::shared_ptr<void> adapterSource; // outlives the library, which closes the link
    LinkLibrary library;
    LinkExports exports;
    AdapterLink link{exports};
    std::vector<LinkRecord> records;
};

using Sources = testing::Types<EmulatedAdapter, HidapiAdapter>;
class SourceNames {
public:
    template <typename T> static std::string GetName(int) { return T::kName; }
};
TYPED_TEST_SUITE(AdapterConformance, Sources, SourceNames);

TYPED_TEST(AdapterConformance, ShowsTheProgrammerModesReportLengths) {
    EXPECT_EQ(this->handle().featureReportLength(), TavroFrames::kFeatureLength);
    EXPECT_EQ(this->handle().inputReportLength(), TavroFrames::kInputLength);
    EXPECT_EQ(this->handle().outputReportLength(), TavroFrames::kOutputLength);
    EXPECT_EQ(this->exports.HidDevice->featureReportLength, TavroFrames::kFeatureLength);
}

TYPED_TEST(AdapterConformance, AReadWithNothingToReadTimesOutAndACancelEndsIt) {
    std::vector<std::uint8_t> buffer(TavroFrames::kInputLength);
    EXPECT_EQ(this->handle().readInput(buffer, 30), HidHandle::kTimeout);
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        this->handle().cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(this->handle().readInput(buffer, 3000), HidHandle::kAborted);
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

TYPED_TEST(AdapterConformance, RefusesAFeatureReportOutsideADataPhaseAndSaysWhy) {
    std::vector<std::uint8_t> report(TavroFrames::kFeatureLength, 0);
    EXPECT_FALSE(this->handle().sendFeature(report));
    EXPECT_FALSE(this->handle().lastError().empty());
}

TYPED_TEST(AdapterConformance, AnswersTheFirmwareQueryAndRecordsIt) {
    int mismatch = -1;
    EXPECT_EQ(this->link.checkFirmware(mismatch), 0);
    EXPECT_NE(mismatch, -1);
    ASSERT_FALSE(this->records.empty());
    const LinkRecord& record = this->records.back();
    EXPECT_EQ(record.operation, LinkRecord::Operation::FirmwareQuery);
    EXPECT_TRUE(record.ok);
    EXPECT_EQ(record.text().find("firmware query: ok"), 0u) << record.text();
}

// A target that was never opened is not there for CMD_CHECK_TARGET: the adapter answers
// the tag with status 3, and the record says which command failed and how.
TYPED_TEST(AdapterConformance, EchoesTheTagAndTellsAStatusInTheRecord) {
    const auto answer = this->link.transact(LinkCommand::checkTarget(36));
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(answer.reply->tag, answer.tag);
    EXPECT_EQ(answer.reply->status, STATUS_NO_TARGET);
    const LinkRecord& record = this->records.back();
    EXPECT_FALSE(record.ok);
    EXPECT_EQ(record.tag, answer.tag);
    EXPECT_EQ(record.status, STATUS_NO_TARGET);
    EXPECT_EQ(record.failureLine().rfind("CMD_CHECK_TARGET (0x23) failed: the adapter answered "
                                         "no target (3)",
                                         0),
              0u)
        << record.failureLine();
    ASSERT_TRUE(this->link.firstFailure());
    EXPECT_EQ(this->link.firstFailure()->command, CMD_CHECK_TARGET);
}

TYPED_TEST(AdapterConformance, ACommandAfterCloseIsNotSent) {
    this->link.close();
    EXPECT_FALSE(this->link.isOpen());
    const auto answer = this->link.transact(LinkCommand::eraseChip());
    EXPECT_EQ(answer.sent, LINK_NOT_OPEN);
    EXPECT_FALSE(answer.answered());
    EXPECT_NE(this->records.back().failureLine().find("could not be sent"), std::string::npos);
}

// The machine has no adapter unless the run says it has one: then opening fails cleanly
// through hidapi, and nothing is left open.
TEST(NoAdapter, WithoutTheEmulatorOpeningFailsCleanly) {
    if (realAdapterPlugged()) {
        GTEST_SKIP() << "HALDEN_REAL_ADAPTER=1: an adapter is plugged in";
    }
    unsetenv("TAVRO_EMULATOR");
    LinkLibrary library;
    ASSERT_EQ(library.load(std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so"), 0u);
    const LinkExports exports = library.bindExports();
    AdapterLink link(exports);
    EXPECT_EQ(link.openProgrammer(), LINK_NO_DEVICE);
    EXPECT_EQ(link.openRecovery(), LINK_NO_DEVICE);
    EXPECT_FALSE(link.isOpen());
    int mismatch = 0;
    EXPECT_NE(link.checkFirmware(mismatch), 0);
    ASSERT_TRUE(link.firstFailure());
    EXPECT_EQ(link.firstFailure()->failureLine(),
              "cannot open the adapter in programmer mode: no adapter found");
}

} // namespace
} // namespace halden
