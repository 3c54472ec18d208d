// Reports between the link library and the adapter, each input read two ways.
//
// As one report, for both decoders: a command is taken exactly when the report holds a
// whole command frame, and it encodes back to the same bytes; a reply is taken from six
// bytes on and encodes back to them; neither allocates.
//
// As a session a host holds with the emulated adapter, raw reports mixed with whole
// exchanges: every reply answers a command the adapter took (never CMD_CLOSE_TARGET or
// CMD_ENTER_BOOTLOADER), once, with the adapter's supply and off-line capability; the
// target opens exactly when it is there, powered and given its own parameter bytes; a
// read-back serves exactly the reports its length needs, with the memory's bytes, and
// nothing is served outside one; a data phase with the right sum is never answered with
// a checksum mismatch, lands in memory as sent when it is done and changes nothing when
// it is not; the boot loader sums what it got and starts a whole image as the firmware
// its last two bytes name; the device path names the product shown; the memory keeps to
// the adapter's limits; and no block outgrows the largest memory the adapter has.
#include "adapter/hid/HidDevicePath.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/TavroFrames.h"
#include "common/ByteOrder.h"
#include "fuzz/FuzzSupport.h"
#include "tavro/emulator/EmulatedPartTable.h"
#include "tavro/emulator/TavroEmulator.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>

namespace {

using namespace halden;
using Bytes = std::vector<std::uint8_t>;
using Command = TavroFrames::Command;
using Reply = TavroFrames::Reply;

constexpr std::size_t kCommandFrameSize = 14;
constexpr std::size_t kReplyMinimum = 6;
constexpr std::size_t kInfoReplySize = 9;
constexpr std::uint16_t kMaxStatus = 5;
constexpr std::size_t kHeaderFixedSize = 69;
constexpr std::uint16_t kLibraryFirmware = 0x0105;

// Two small chips: the emulator is given its parts as data, so a run copies and compares
// kilobytes of flash rather than the shipped parts' hundreds, and still crosses every
// boundary (report, flash end, stored code) that the real sizes have.
const EmulatedPartTable& parts() {
    static const EmulatedPartTable table({{"FZ-1", 36, 0x12800418u, 0x1000u, 128u, 0x14, 0x24},
                                          {"FZ-2", 42, 0x13800440u, 0x2000u, 16u, 0x15, 0x26}});
    return table;
}

// Enough to cross report and memory boundaries while a run stays short.
constexpr std::size_t kMaxOps = 48;
constexpr std::uint32_t kMaxPhase = 0x2000;
constexpr std::size_t kMaxBootImage = 0x1000;

void decodeOne(std::span<const std::uint8_t> report) {
    std::optional<Command> command;
    std::optional<Reply> reply;
    {
        const fuzz::AllocationWatch watch;
        command = TavroFrames::parseCommand(report);
        reply = TavroFrames::parseReply(report);
        FUZZ_CHECK(watch.count() == 0);
    }
    FUZZ_CHECK(command.has_value() ==
               (report.size() >= kCommandFrameSize && report[0] == TavroFrames::kCommandReportId &&
                report[1] == TavroFrames::kCommandKind));
    if (command) {
        const auto frame = TavroFrames::commandFrame(*command);
        FUZZ_CHECK(frame.size() == TavroFrames::kOutputLength &&
                   std::equal(report.begin(), report.begin() + kCommandFrameSize, frame.begin()));
    }
    FUZZ_CHECK(reply.has_value() == (report.size() >= kReplyMinimum));
    if (reply) {
        const auto bytes = TavroFrames::replyBytes(*reply);
        const std::size_t fields = report.size() >= kInfoReplySize ? kInfoReplySize : kReplyMinimum;
        for (std::size_t i = 0; i < fields; ++i) {
            FUZZ_CHECK(i == 1 || bytes[i] == report[i]); // byte 1 is not used
        }
        FUZZ_CHECK(fields == kInfoReplySize || (reply->firmware == 0 && reply->offline == 0));
    }
}

bool sameMemory(const AdapterMemory& a, const AdapterMemory& b) {
    return a.flash == b.flash && a.options == b.options && a.storedHeader == b.storedHeader &&
           a.storedCode == b.storedCode && a.firmware == b.firmware;
}

bool isRead(std::uint8_t code) {
    return code == CMD_READ_TARGET_CODE || code == CMD_READ_STORED_CODE;
}

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in_(in) {
        const auto shape = in_.ConsumeIntegral<std::uint8_t>();
        settings_.target = shape & 1 ? std::nullopt : std::optional<std::string>("FZ-1");
        settings_.offline = (shape & 2) == 0;
        settings_.mode =
            shape & 4 ? EmulatorSettings::Mode::BootLoader : EmulatorSettings::Mode::Normal;
        settings_.millivolts = shape & 8 ? 1800 : 3300;
        emulator_ = TavroEmulator::create(settings_, kLibraryFirmware, parts(), nullptr);
        FUZZ_CHECK(emulator_ != nullptr);
        initial_ = emulator_->memory();
        path_ = emulator_->devicePath();
        reopen();
    }

    // The adapter's largest memory: the target's flash, the stored code or a boot image.
    std::size_t blockBound() const {
        return std::max({initial_.flash.size(), AdapterMemory::kMaxStoredCode,
                         std::size_t{BootLoader::kMaxImage}});
    }

    void run() {
        for (std::size_t op = 0; op < kMaxOps && in_.remaining_bytes() > 0; ++op) {
            switch (in_.ConsumeIntegralInRange(0, 9)) {
            case 0:
                write(bytes(80));
                break;
            case 1:
                rawFeature();
                break;
            case 2:
                rawGetFeature();
                break;
            case 3:
                readInput(in_.ConsumeIntegralInRange<std::size_t>(0, 80));
                break;
            case 4:
                command();
                break;
            case 5:
                dataPhase();
                break;
            case 6:
                readBack();
                break;
            case 7:
                bootImage();
                break;
            case 8:
                write(TavroFrames::switchFrame());
                break;
            case 9:
                reopen();
                break;
            }
            observe();
        }
        const AdapterMemory memory = emulator_->memory();
        FUZZ_CHECK(memory.flash.size() == initial_.flash.size());
        FUZZ_CHECK(memory.options.size() <= AdapterMemory::kMaxOptions &&
                   memory.storedHeader.size() <= AdapterMemory::kMaxHeader &&
                   memory.storedCode.size() <= AdapterMemory::kMaxStoredCode);
        FUZZ_CHECK(memory.storedHeader.empty() ||
                   (memory.storedHeader.size() >= kHeaderFixedSize &&
                    ByteOrder::readLe16(memory.storedHeader, 2) == memory.storedHeader.size()));
    }

private:
    Bytes bytes(std::size_t most) {
        return in_.ConsumeBytes<std::uint8_t>(in_.ConsumeIntegralInRange<std::size_t>(0, most));
    }

    Bytes pattern(std::size_t length) {
        const auto seed = in_.ConsumeIntegral<std::uint8_t>();
        const auto step = in_.ConsumeIntegral<std::uint8_t>();
        Bytes data(length);
        for (std::size_t i = 0; i < length; ++i) {
            data[i] = static_cast<std::uint8_t>(seed + i * step + (i >> 8));
        }
        return data;
    }

    std::uint32_t address(std::size_t memorySize) {
        return in_.ConsumeBool() ? in_.ConsumeIntegral<std::uint32_t>()
                                 : in_.ConsumeIntegralInRange<std::uint32_t>(
                                       0, static_cast<std::uint32_t>(memorySize));
    }

    bool alive() const { return handlePath_ == path_; }

    void reopen() {
        handle_.reset();
        handle_ = emulator_->open(kTavroVendorId, emulator_->productId());
        FUZZ_CHECK(handle_ != nullptr);
        handlePath_ = emulator_->devicePath();
    }

    // A handle on the adapter as it is now; whether it shows this product.
    bool ready(std::uint16_t product) {
        if (!alive()) {
            reopen();
        }
        return emulator_->productId() == product;
    }

    bool programmer() const { return alive() && emulator_->productId() == PRODUCT_PROGRAMMER; }

    // After every step: the path names the product, and a new enumeration brings a new
    // model and a new boot loader.
    void observe() {
        const auto path = emulator_->devicePath();
        FUZZ_CHECK(HidDevicePath::productId(path, kTavroVendorId) == emulator_->productId());
        if (path != path_) {
            path_ = path;
            last_.reset();
            bootClean_ = true;
        }
    }

    bool write(const Bytes& report) {
        const bool toModel = programmer();
        const bool taken = handle_->writeOutput(report);
        const auto command = TavroFrames::parseCommand(report);
        if (taken && toModel && command) {
            last_ = *command;
            served_ = 0;
            if (command->code != CMD_CLOSE_TARGET && command->code != CMD_ENTER_BOOTLOADER) {
                ++unanswered_[command->tag];
            }
        }
        return taken;
    }

    void rawFeature() {
        if (alive() && emulator_->productId() == PRODUCT_BOOT_LOADER) {
            bootClean_ = false;
        }
        handle_->sendFeature(bytes(140));
    }

    bool getFeature(Bytes& report) {
        const bool fromModel = programmer();
        const bool served = handle_->getFeature(report);
        if (served && fromModel && report.size() >= 2) {
            // Each report of a read-back carries at least one of its bytes.
            FUZZ_CHECK(last_ && isRead(last_->code) && ++served_ <= last_->length);
        }
        return served;
    }

    void rawGetFeature() {
        Bytes report(in_.ConsumeIntegralInRange<std::size_t>(1, 140), 0);
        getFeature(report);
    }

    std::optional<Reply> readInput(std::size_t length) {
        Bytes buffer(length, 0xA5);
        const int result = handle_->readInput(buffer, 0);
        if (length == 0) {
            FUZZ_CHECK(result == HidHandle::kBadArgument);
            return std::nullopt;
        }
        FUZZ_CHECK(result == HidHandle::kOk || result == HidHandle::kTimeout ||
                   result == HidHandle::kDeviceGone);
        if (result != HidHandle::kOk) {
            return std::nullopt;
        }
        FUZZ_CHECK(buffer[0] == 0);
        const auto reply = TavroFrames::parseReply(std::span(buffer).subspan(1));
        if (!reply) {
            FUZZ_CHECK(length < 1 + kReplyMinimum);
            return std::nullopt;
        }
        FUZZ_CHECK(unanswered_[reply->tag] > 0);
        --unanswered_[reply->tag];
        FUZZ_CHECK(reply->millivolts == settings_.millivolts && reply->status <= kMaxStatus);
        FUZZ_CHECK(length < 1 + kInfoReplySize || reply->offline == settings_.offline);
        return reply;
    }

    std::vector<Reply> drain() {
        std::vector<Reply> replies;
        while (const auto reply = readInput(TavroFrames::kInputLength)) {
            replies.push_back(*reply);
        }
        return replies;
    }

    // Any command, as the library's ICE_Write sends it.
    void command() {
        static constexpr std::uint8_t kCodes[] = {
            CMD_CLOSE_TARGET,       CMD_ENTER_BOOTLOADER, CMD_ERASE_CHIP,
            CMD_PROGRAM_CODE,       CMD_PROGRAM_OPTIONS,  CMD_STORE_PROJECT_HEADER,
            CMD_STORE_PROJECT_CODE, CMD_READ_TARGET_CODE, CMD_READ_STORED_CODE,
            CMD_CHECK_TARGET,       CMD_OPEN_TARGET,      TavroFrames::kInfo};
        ready(PRODUCT_PROGRAMMER);
        Command c;
        c.code =
            in_.ConsumeBool() ? in_.PickValueInArray(kCodes) : in_.ConsumeIntegral<std::uint8_t>();
        c.tag = in_.ConsumeIntegral<std::uint8_t>();
        c.address = address(initial_.flash.size());
        c.length = in_.ConsumeBool() ? in_.ConsumeIntegral<std::uint32_t>()
                                     : in_.ConsumeIntegralInRange<std::uint32_t>(0, kMaxPhase);
        c.parameter0 = in_.ConsumeIntegral<std::uint8_t>();
        c.parameter1 = in_.ConsumeIntegral<std::uint8_t>();
        const auto& part = emulator_->part();
        // Mostly the part's own parameter bytes, so that sessions reach an open target.
        if (c.code == CMD_OPEN_TARGET && part && in_.ConsumeIntegralInRange(0, 7) != 0) {
            c.parameter0 = part->parameter0;
            c.parameter1 = part->parameter1;
        }
        const bool toModel = programmer();
        if (write(TavroFrames::commandFrame(c)) && toModel && c.code == CMD_OPEN_TARGET) {
            // The target opens exactly when it is there, powered within range and reached
            // with its own parameter bytes.
            const bool reachable =
                part && settings_.millivolts >= AdapterModel::kLowestMillivolts &&
                settings_.millivolts <= AdapterModel::kHighestMillivolts &&
                c.parameter0 == part->parameter0 && c.parameter1 == part->parameter1;
            FUZZ_CHECK(emulator_->targetOpen() == reachable);
        }
    }

    // A well-formed project header: its length at 2, what follows the fixed part at 68,
    // and the sum of everything after the first two bytes in them.
    Bytes header() {
        const std::size_t length = kHeaderFixedSize + in_.ConsumeIntegral<std::uint8_t>();
        Bytes h = pattern(length);
        h[2] = static_cast<std::uint8_t>(length);
        h[3] = static_cast<std::uint8_t>(length >> 8);
        h[68] = static_cast<std::uint8_t>(length - kHeaderFixedSize);
        const auto sum = TavroFrames::checksum(std::span(h).subspan(2));
        h[0] = static_cast<std::uint8_t>(sum);
        h[1] = static_cast<std::uint8_t>(sum >> 8);
        return h;
    }

    bool sendChunk(const Bytes& data, std::size_t offset) {
        Bytes report(TavroFrames::kFeatureLength, 0);
        const std::size_t n = std::min(TavroFrames::kDataPerReport, data.size() - offset);
        std::copy_n(data.begin() + offset, n, report.begin() + 1);
        return handle_->sendFeature(report);
    }

    static std::optional<Reply> only(const std::vector<Reply>& replies, std::uint8_t tag) {
        FUZZ_CHECK(replies.size() <= 1 && (replies.empty() || replies[0].tag == tag));
        return replies.empty() ? std::nullopt : std::optional(replies[0]);
    }

    // A data command with the right sum and its reports, as the library sends them.
    void dataPhase() {
        if (!ready(PRODUCT_PROGRAMMER)) {
            return;
        }
        static constexpr std::uint8_t kCodes[] = {CMD_PROGRAM_CODE, CMD_PROGRAM_OPTIONS,
                                                  CMD_STORE_PROJECT_HEADER, CMD_STORE_PROJECT_CODE};
        Command c;
        c.code = in_.PickValueInArray(kCodes);
        c.tag = in_.ConsumeIntegral<std::uint8_t>();
        c.address = address(initial_.flash.size());
        const bool wellFormedHeader = c.code == CMD_STORE_PROJECT_HEADER && in_.ConsumeBool();
        const Bytes data = wellFormedHeader
                               ? header()
                               : pattern(in_.ConsumeIntegralInRange<std::uint32_t>(0, kMaxPhase));
        c.length = static_cast<std::uint32_t>(data.size());
        const auto sum = TavroFrames::checksum(data);
        c.parameter0 = static_cast<std::uint8_t>(sum);
        c.parameter1 = static_cast<std::uint8_t>(sum >> 8);

        drain();
        const AdapterMemory before = emulator_->memory();
        FUZZ_CHECK(write(TavroFrames::commandFrame(c)));
        auto answer = only(drain(), c.tag);
        if (answer) {
            // Answered at once: no data, or data the adapter cannot take.
            FUZZ_CHECK(data.empty() || answer->status == 4);
            FUZZ_CHECK(data.empty() || !sendChunk(data, 0));
        } else {
            FUZZ_CHECK(!data.empty());
            for (std::size_t offset = 0; offset < data.size();
                 offset += TavroFrames::kDataPerReport) {
                FUZZ_CHECK(sendChunk(data, offset));
            }
            answer = only(drain(), c.tag);
            FUZZ_CHECK(answer.has_value());
        }
        FUZZ_CHECK(answer->status != 1);
        FUZZ_CHECK(!wellFormedHeader || !settings_.offline || answer->status == 0);

        AdapterMemory expected = before;
        if (answer->status == 0) {
            switch (c.code) {
            case CMD_PROGRAM_CODE:
                // Programming clears bits only.
                FUZZ_CHECK(std::uint64_t{c.address} + data.size() <= expected.flash.size());
                for (std::size_t i = 0; i < data.size(); ++i) {
                    expected.flash[c.address + i] &= data[i];
                }
                break;
            case CMD_PROGRAM_OPTIONS:
                expected.options = data;
                break;
            case CMD_STORE_PROJECT_HEADER:
                expected.storedHeader = data;
                break;
            case CMD_STORE_PROJECT_CODE:
                expected.storedCode = data;
                break;
            }
        }
        FUZZ_CHECK(sameMemory(emulator_->memory(), expected));
    }

    // A read-back command and every report it needs, then one more.
    void readBack() {
        if (!ready(PRODUCT_PROGRAMMER)) {
            return;
        }
        Command c;
        c.code = in_.ConsumeBool() ? CMD_READ_TARGET_CODE : CMD_READ_STORED_CODE;
        c.tag = in_.ConsumeIntegral<std::uint8_t>();
        c.address = address(c.code == CMD_READ_TARGET_CODE ? initial_.flash.size()
                                                           : AdapterMemory::kMaxStoredCode);
        c.length = in_.ConsumeIntegralInRange<std::uint32_t>(0, kMaxPhase);

        drain();
        FUZZ_CHECK(write(TavroFrames::commandFrame(c)));
        const auto answer = only(drain(), c.tag);
        FUZZ_CHECK(answer.has_value());
        Bytes report(TavroFrames::kFeatureLength);
        if (answer->status != 0) {
            FUZZ_CHECK(!getFeature(report));
            return;
        }
        const AdapterMemory memory = emulator_->memory();
        const auto& source = c.code == CMD_READ_TARGET_CODE ? memory.flash : memory.storedCode;
        FUZZ_CHECK(std::uint64_t{c.address} + c.length <= source.size());
        for (std::size_t done = 0; done < c.length; done += TavroFrames::kDataPerReport) {
            FUZZ_CHECK(getFeature(report));
            const std::size_t n =
                std::min<std::size_t>(TavroFrames::kDataPerReport, c.length - done);
            FUZZ_CHECK(std::equal(report.begin() + 1, report.begin() + 1 + n,
                                  source.begin() + c.address + done));
            FUZZ_CHECK(std::all_of(report.begin() + 1 + n, report.end(),
                                   [](std::uint8_t b) { return b == 0; }));
        }
        FUZZ_CHECK(!getFeature(report));
    }

    // Begin, the image, Check and the sum read back, then perhaps Restart, as the
    // firmware upgrade does it; only while no raw report has left the boot loader
    // half-way through an image.
    void bootImage() {
        if (!ready(PRODUCT_BOOT_LOADER) || !bootClean_) {
            return;
        }
        const Bytes image = pattern(in_.ConsumeIntegralInRange<std::size_t>(1, kMaxBootImage));
        const auto send = [&](Bytes report) {
            report.resize(TavroFrames::kBootFeatureLength, 0);
            return handle_->sendFeature(report);
        };
        const auto length = static_cast<std::uint32_t>(image.size());
        FUZZ_CHECK(
            send({0, TavroFrames::kBootBegin, 0, 0, 0, static_cast<std::uint8_t>(length >> 16),
                  static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)}));
        constexpr std::size_t kPerReport = TavroFrames::kBootFeatureLength - 1;
        for (std::size_t offset = 0; offset < image.size(); offset += kPerReport) {
            Bytes report{0};
            const std::size_t n = std::min(kPerReport, image.size() - offset);
            report.insert(report.end(), image.begin() + offset, image.begin() + offset + n);
            FUZZ_CHECK(send(report));
        }
        FUZZ_CHECK(send({0, TavroFrames::kBootCheck}));
        Bytes sum(TavroFrames::kBootFeatureLength, 0);
        FUZZ_CHECK(handle_->getFeature(sum));
        const auto expected = TavroFrames::checksum(image);
        FUZZ_CHECK(sum[1] == (expected >> 8) && sum[2] == (expected & 0xFF));
        if (!in_.ConsumeBool()) {
            return;
        }
        FUZZ_CHECK(send({0, TavroFrames::kBootRestart}));
        observe();
        if (image.size() >= 2) {
            FUZZ_CHECK(emulator_->productId() == PRODUCT_PROGRAMMER);
            FUZZ_CHECK(emulator_->memory().firmware ==
                       ByteOrder::readBe16(image, image.size() - 2));
        } else {
            FUZZ_CHECK(emulator_->productId() == PRODUCT_BOOT_LOADER);
        }
    }

    FuzzedDataProvider& in_;
    EmulatorSettings settings_;
    std::shared_ptr<TavroEmulator> emulator_;
    std::unique_ptr<HidHandle> handle_;
    AdapterMemory initial_;
    std::string path_;                       // the adapter's device path as last seen
    std::string handlePath_;                 // the path the handle was opened on
    std::optional<Command> last_;            // the last command the model took
    std::size_t served_ = 0;                 // read-back reports served since
    std::array<unsigned, 256> unanswered_{}; // per tag: commands taken, replies not yet read
    bool bootClean_ = true;                  // the boot loader has seen only whole exchanges
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decodeOne({data, size});

    // The part table is made once, before any run's allocations count.
    FUZZ_CHECK(!parts().parts().empty());
    FuzzedDataProvider in(data, size);
    const fuzz::AllocationWatch watch;
    Session session(in);
    session.run();
    FUZZ_CHECK(watch.largest() <= session.blockBound());
    return 0;
}
