// The real USB path against emulated adapters shown as /dev/hidrawN by a umockdev testbed:
// hidapi's enumeration and handle (HidapiBackend, HidapiHandle) and the udev monitor
// (UdevHidWatch) as the programs use them, with the kernel's answers where a device
// leaves the bus or re-enumerates.
#include "tests/support/hidraw/HidrawBed.h"
#include "adapter/hid/HidReportDescriptor.h"
#include "adapter/hid/HidapiBackend.h"
#include "adapter/hid/UdevHidWatch.h"
#include "adapter/wire/TavroFrames.h"
#include "adapter/wire/TavroProduct.h"
#include "tavro/emulator/TavroEmulator.h"
#include "tavro/emulator/TavroReportDescriptor.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace halden {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<test::HidrawBed> bedFor(const std::string& settings) {
    std::string error;
    auto bed = test::HidrawBed::create(settings, 0x0105, &error);
    EXPECT_TRUE(bed) << error;
    return bed;
}

TEST(TavroReportDescriptor, DeclaresEachModesReportLengthsWithoutReportIds) {
    struct Case {
        std::uint16_t productId;
        std::size_t feature;
    };
    const Case cases[] = {{PRODUCT_PROGRAMMER, TavroFrames::kFeatureLength},
                          {PRODUCT_NEEDS_FIRMWARE, TavroFrames::kFeatureLength},
                          {PRODUCT_RECOVERY, TavroFrames::kFeatureLength},
                          {PRODUCT_BOOT_LOADER, TavroFrames::kBootFeatureLength}};
    for (const auto& c : cases) {
        const auto lengths =
            HidReportDescriptor::reportLengths(TavroReportDescriptor::forProduct(c.productId));
        ASSERT_TRUE(lengths) << c.productId;
        EXPECT_EQ(lengths->feature, c.feature) << c.productId;
        EXPECT_EQ(lengths->input, TavroFrames::kInputLength) << c.productId;
        EXPECT_EQ(lengths->output, TavroFrames::kOutputLength) << c.productId;
        EXPECT_FALSE(lengths->numbered) << c.productId;
    }
}

// hidapi finds each adapter through udev as it finds a plugged one: its node, product
// ID and serial number, and the report lengths from the descriptor in sysfs.
TEST(HidrawBed, ShowsEveryAdapterToHidapiWithItsModeAndDescriptor) {
    const auto bed = bedFor("adapters=2,mode=0FFF");
    HidapiBackend hidapi;
    const auto devices = hidapi.enumerate(kTavroVendorId);
    ASSERT_EQ(devices.size(), 2u);
    for (std::size_t k = 0; k < devices.size(); ++k) {
        EXPECT_EQ(devices[k].productId, PRODUCT_RECOVERY);
        EXPECT_EQ(devices[k].path, bed->systemPath(k));
        EXPECT_EQ(devices[k].serialNumber, "EMU-" + std::to_string(k + 1));
        const auto lengths = HidapiBackend::lengthsOf(bed->devNode(k));
        ASSERT_TRUE(lengths) << bed->devNode(k);
        EXPECT_EQ(lengths->feature, TavroFrames::kFeatureLength);
        EXPECT_EQ(lengths->input, TavroFrames::kInputLength);
    }
    EXPECT_TRUE(hidapi.enumerate(0x1234).empty());
}

// A command frame written through hidapi reaches the adapter and its reply comes back as
// an input report; the report-ID byte the descriptor does not declare is the handle's.
TEST(HidrawBed, CarriesACommandAndItsReplyThroughTheNode) {
    const auto bed = bedFor("target=RQD-1");
    HidapiBackend hidapi;
    auto handle = hidapi.open(kTavroVendorId, PRODUCT_PROGRAMMER);
    ASSERT_TRUE(handle);
    auto frame = TavroFrames::commandFrame({TavroFrames::kInfo, 0x42, 0, 0, 0, 0});
    frame.resize(handle->outputReportLength(), 0);
    ASSERT_TRUE(handle->writeOutput(frame)) << handle->lastError();
    std::vector<std::uint8_t> reply(TavroFrames::kInputLength);
    ASSERT_EQ(handle->readInput(reply, 2000), HidHandle::kOk) << handle->lastError();
    EXPECT_EQ(reply[0], 0);
    const auto parsed = TavroFrames::parseReply(std::span(reply).subspan(1));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->tag, 0x42);
    EXPECT_EQ(parsed->firmware, 0x0105);
    EXPECT_EQ(parsed->millivolts, 3300);
}

// The node's own calls, as a program without hidapi makes them, with the kernel's
// answers: the descriptor and the device's identity, its errors for calls it refuses,
// and ENODEV (reads EIO) once the device has left.
TEST(HidrawBed, AnswersTheNodesCallsAsTheKernel) {
    const auto bed = bedFor("target=RQD-1");
    const int fd = ::open(bed->devNode(0).c_str(), O_RDWR);
    ASSERT_GE(fd, 0) << bed->devNode(0);
    int size = 0;
    ASSERT_EQ(ioctl(fd, HIDIOCGRDESCSIZE, &size), 0);
    const auto descriptor = TavroReportDescriptor::forProduct(PRODUCT_PROGRAMMER);
    EXPECT_EQ(size, static_cast<int>(descriptor.size()));
    hidraw_report_descriptor shown{};
    shown.size = static_cast<__u32>(size);
    ASSERT_EQ(ioctl(fd, HIDIOCGRDESC, &shown), 0);
    EXPECT_TRUE(std::equal(descriptor.begin(), descriptor.end(), shown.value));
    hidraw_devinfo info{};
    ASSERT_EQ(ioctl(fd, HIDIOCGRAWINFO, &info), 0);
    EXPECT_EQ(info.bustype, 3u); // BUS_USB
    EXPECT_EQ(static_cast<std::uint16_t>(info.vendor), kTavroVendorId);
    EXPECT_EQ(static_cast<std::uint16_t>(info.product), PRODUCT_PROGRAMMER);
    char name[64] = {};
    EXPECT_EQ(ioctl(fd, HIDIOCGRAWNAME(sizeof name), name), 14);
    EXPECT_STREQ(name, "Corvane Tavro");

    std::uint8_t report[TavroFrames::kFeatureLength] = {};
    std::uint8_t oneByte[1] = {};
    struct Refusal {
        const char* call;
        std::function<long()> make;
        int error;
    };
    const Refusal refusals[] = {
        // Outside a read-back the adapter stalls the control transfer.
        {"a feature report read outside a read-back",
         [&] { return long(ioctl(fd, HIDIOCGFEATURE(sizeof report), report)); }, EPIPE},
        {"a feature report of one byte",
         [&] { return long(ioctl(fd, HIDIOCSFEATURE(1), oneByte)); }, EINVAL},
        {"a write of one byte", [&] { return long(::write(fd, oneByte, 1)); }, EINVAL},
    };
    for (const auto& refusal : refusals) {
        errno = 0;
        EXPECT_EQ(refusal.make(), -1) << refusal.call;
        EXPECT_EQ(errno, refusal.error) << refusal.call;
    }

    bed->unplug(0);
    EXPECT_EQ(ioctl(fd, HIDIOCSFEATURE(sizeof report), report), -1);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(::read(fd, report, sizeof report), -1);
    EXPECT_EQ(errno, EIO);
    ::close(fd);
}

// Unplugged, an open handle fails as the kernel fails it (ENODEV, a read that ends with
// the device gone) and is never answered again; plugged back in, the adapter is a new
// node that opens.
TEST(HidrawBed, AnUnpluggedAdapterFailsItsOpenHandleAndComesBackAsANewNode) {
    const auto bed = bedFor("target=RQD-1");
    HidapiBackend hidapi;
    auto handle = hidapi.open(kTavroVendorId, PRODUCT_PROGRAMMER);
    ASSERT_TRUE(handle);
    const std::string before = bed->devNode(0);
    bed->unplug(0);
    EXPECT_TRUE(bed->devNode(0).empty());
    EXPECT_TRUE(hidapi.enumerate(kTavroVendorId).empty());
    std::vector<std::uint8_t> report(TavroFrames::kFeatureLength, 0);
    EXPECT_FALSE(handle->sendFeature(report));
    EXPECT_NE(handle->lastError().find("No such device"), std::string::npos) << handle->lastError();
    std::vector<std::uint8_t> reply(TavroFrames::kInputLength);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(handle->readInput(reply, 3000), HidHandle::kDeviceGone);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);

    bed->plug(0);
    ASSERT_FALSE(bed->devNode(0).empty());
    EXPECT_NE(bed->devNode(0), before);
    EXPECT_TRUE(hidapi.openPath(bed->systemPath(0), nullptr));
}

// Records what a udev monitor reports, for a test to wait on.
class RecordingListener : public HidDeviceListener {
public:
    void arrived(const std::string& path) override { note("+" + path); }
    void removed(const std::string& path) override { note("-" + path); }
    std::vector<std::string> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 5s, [&] { return events_.size() >= count; });
        return events_;
    }

private:
    void note(std::string event) {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
};

// The monitor the window watches with sees the uevents of a re-plug and of the boot
// loader's re-enumeration: the programmer-mode node leaves, the boot loader's comes.
TEST(HidrawBed, UdevSeesPlugsAndTheBootLoadersReEnumeration) {
    const auto bed = bedFor("target=RQD-1");
    UdevHidWatch watch;
    ASSERT_TRUE(watch.running());
    RecordingListener listener;
    watch.subscribe(listener);
    const std::string first = bed->systemPath(0);
    bed->unplug(0);
    bed->plug(0);
    const std::string second = bed->systemPath(0);
    EXPECT_EQ(listener.waitFor(2), (std::vector<std::string>{"-" + first, "+" + second}));

    HidapiBackend hidapi;
    auto handle = hidapi.open(kTavroVendorId, PRODUCT_PROGRAMMER);
    ASSERT_TRUE(handle);
    auto frame = TavroFrames::switchFrame();
    frame.resize(handle->outputReportLength(), 0);
    ASSERT_TRUE(handle->writeOutput(frame));
    const auto events = listener.waitFor(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2], "-" + second);
    EXPECT_EQ(events[3].rfind("+\\\\?\\HID#Vid_2e7b&Pid_030b#hidraw", 0), 0u) << events[3];
    EXPECT_EQ(bed->adapter(0).productId(), PRODUCT_BOOT_LOADER);
    watch.unsubscribe(listener);
}

} // namespace
} // namespace halden
