#include "adapter/AdapterLink.h"

#include "adapter/ReportTransport.h"
#include "adapter/TransferObserver.h"
#include "adapter/hid/HidHandle.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterStatus.h"
#include "adapter/wire/IceLayout.h"
#include "adapter/wire/LinkResult.h"
#include "adapter/wire/RequestTag.h"
#include "adapter/wire/TavroProduct.h"
#include "adapter/wire/WireNames.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace halden {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kCancelRead = "cancel of the pending read";

std::chrono::microseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
}

std::string readProblem(int read) {
    switch (read) {
    case ReportTransport::kTimedOut:
        return "within " + std::to_string(ReportTransport::kReplyTimeoutMs) + " ms";
    case HidHandle::kDeviceGone:
        return "(the adapter left the bus)";
    case HidHandle::kAborted:
        return "(the read was cancelled)";
    case HidHandle::kInvalidData:
        return "(the adapter sent an input report that is not a reply)";
    case ReportTransport::kNoHandle:
        return "(no adapter is open)";
    default:
        return "(read error " + std::to_string(read) + ")";
    }
}

// Statuses that mean done for the command.
bool done(std::uint8_t command, std::uint16_t status) {
    return status == STATUS_DONE || (command == CMD_CHECK_TARGET && status == STATUS_DONE_TOO);
}

// For data phases whose caller shows no progress.
class SilentObserver : public TransferObserver {
public:
    void progress(int) override {}
    void processEvents() override {}
    bool quitRequested() override { return false; }
    void postQuit() override {}
};

} // namespace

bool AdapterLink::isOpen() const {
    return bound() && exports_.HidDevice->handle != nullptr;
}

std::span<std::uint8_t> AdapterLink::ice() const {
    return {exports_.Ice, exports_.Ice ? IceLayout::kSize : 0};
}

std::string AdapterLink::hidError() const {
    const auto* handle =
        isOpen() ? static_cast<const HidHandle*>(exports_.HidDevice->handle) : nullptr;
    return handle ? handle->lastError() : std::string();
}

void AdapterLink::finish(LinkRecord& record) {
    if (!record.ok && !firstFailure_) {
        firstFailure_ = record;
    }
    // Opening, cancelling and closing frame the work: a look for the adapter after it, or
    // the end of a wait for a reply, is not work.
    const bool framing =
        record.operation == LinkRecord::Operation::Open ||
        record.operation == LinkRecord::Operation::Close ||
        (record.operation == LinkRecord::Operation::Command &&
         record.command == CMD_CLOSE_TARGET) ||
        (record.operation == LinkRecord::Operation::Report && record.what == kCancelRead);
    if (!framing) {
        lastWork_ = record;
    }
    if (sink_) {
        sink_(record);
    }
}

int AdapterLink::open(unsigned vendorId, unsigned productId, int mode, const std::string& what) {
    LinkRecord record;
    record.operation = LinkRecord::Operation::Open;
    record.what = "open " + what;
    const auto start = Clock::now();
    record.result = bound() ? exports_.ConnectHIDDevice(vendorId, productId, mode) : LINK_NOT_OPEN;
    record.elapsed = since(start);
    record.ok = record.result == 0;
    if (!record.ok) {
        record.problem = record.result == LINK_IN_USE
                             ? linkResultText(LINK_IN_USE)
                             : "cannot open the " + what + ": " + linkResultText(record.result);
    }
    finish(record);
    return record.result;
}

int AdapterLink::openProgrammer() {
    return open(0, 0, 1, "adapter in programmer mode");
}

int AdapterLink::openRecovery() {
    return openProduct(PRODUCT_RECOVERY);
}

int AdapterLink::openBootLoader() {
    return openProduct(PRODUCT_BOOT_LOADER);
}

int AdapterLink::openProduct(std::uint16_t productId) {
    return open(kTavroVendorId, productId, 0,
                "adapter in " + WireNames::product(productId) + " mode (" +
                    WireNames::hex(productId, 4) + ")");
}

int AdapterLink::close() {
    if (!bound()) {
        return LINK_NOT_OPEN;
    }
    LinkRecord record;
    record.operation = LinkRecord::Operation::Close;
    record.what = "close the adapter";
    record.result = exports_.DisconnectHIDDevice();
    record.ok = record.result == 0;
    if (!record.ok) {
        record.problem = "the adapter could not be closed: " + linkResultText(record.result);
    }
    finish(record);
    return record.result;
}

int AdapterLink::checkFirmware(int& mismatch) {
    LinkRecord record;
    record.operation = LinkRecord::Operation::FirmwareQuery;
    record.what = "firmware query";
    const auto start = Clock::now();
    record.result = bound() && exports_.ICE_Check_Firmware != nullptr
                        ? exports_.ICE_Check_Firmware(&mismatch)
                        : LINK_NOT_OPEN;
    record.elapsed = since(start);
    record.ok = record.result == 0;
    if (!record.ok) {
        record.problem = "the firmware query failed: " + linkResultText(record.result);
        record.hidError = hidError();
    }
    finish(record);
    return record.result;
}

bool AdapterLink::offlineCapable() const {
    return bound() && exports_.Ice[IceLayout::kOfflineCapable] != 0;
}

void AdapterLink::judge(const LinkCommand& command, const Answer& answer,
                        LinkRecord& record) const {
    const std::string name = WireNames::commandWithCode(command.code);
    if (answer.sent != 0) {
        record.problem = name + " could not be sent: " + linkResultText(answer.sent);
    } else if (answer.quit) {
        record.problem = name + ": the program quit during the data phase";
    } else if (!command.answered()) {
        return;
    } else if (answer.read != 0) {
        record.problem = "no reply to " + name + " " + readProblem(answer.read);
    } else if (!answer.reply) {
        record.problem = "the reply to " + name + " is too short";
    } else if (answer.reply->tag != answer.tag) {
        record.problem = "the reply to " + name + " carried tag " +
                         WireNames::hex(answer.reply->tag) + ", not " + WireNames::hex(answer.tag);
    } else if (!done(command.code, answer.reply->status)) {
        record.problem =
            name + " failed: the adapter answered " + WireNames::status(answer.reply->status);
    } else {
        return;
    }
    record.ok = false;
}

AdapterLink::Answer AdapterLink::transact(const LinkCommand& command,
                                          std::span<const std::uint8_t> data,
                                          TransferObserver* observer) {
    LinkRecord record;
    record.what = WireNames::commandWithCode(command.code);
    record.command = command.code;
    record.address = command.address;
    record.length = command.length;
    const auto start = Clock::now();
    Answer answer;
    const bool written =
        command.kind == LinkCommand::Kind::Data || command.kind == LinkCommand::Kind::Written;
    if (!isOpen() ||
        (written ? exports_.ICE_Write == nullptr : exports_.ICE_Send_Command == nullptr)) {
        answer.sent = LINK_NOT_OPEN;
    } else {
        if (command.setsTag) {
            answer.tag = RequestTag::make();
            record.tag = answer.tag;
        }
        command.writeTo(ice(), answer.tag);
        answer.sent = written ? exports_.ICE_Write() : exports_.ICE_Send_Command(command.code, 1);
    }
    std::size_t reports = 0;
    bool refused = false;
    if (answer.sent == 0 && command.kind == LinkCommand::Kind::Data) {
        SilentObserver silent;
        answer.quit = !ReportTransport::SendDataPhase(
            *exports_.HidDevice, data, observer ? *observer : silent, &reports, &refused);
    }
    if (answer.sent == 0 && !answer.quit && command.answered()) {
        const std::size_t replyLength = exports_.HidDevice->inputReportLength;
        std::vector<std::uint8_t> bytes(
            std::max<std::size_t>(replyLength, AdapterReply::kSize + 1) - 1);
        answer.read = ReportTransport::ReadReply(*exports_.HidDevice, bytes);
        if (answer.read == 0) {
            answer.reply = AdapterReply::parse(bytes);
        }
    }
    record.elapsed = since(start);
    record.result = answer.sent != 0 ? answer.sent : answer.read;
    if (answer.reply) {
        record.status = answer.reply->status;
    }
    judge(command, answer, record);
    if (refused) {
        // The reply decides, but the refusal is what a reader of the log needs first.
        const std::size_t total =
            (data.size() + ReportTransport::kDataPerReport - 1) / ReportTransport::kDataPerReport;
        const std::string refusal = "the adapter refused data report " +
                                    std::to_string(reports + 1) + " of " + std::to_string(total);
        record.problem = record.ok ? refusal : record.problem + "; " + refusal;
        record.ok = false;
    }
    if (!record.ok) {
        record.hidError = hidError();
    }
    finish(record);
    return answer;
}

std::size_t AdapterLink::featureReportLength() const {
    return isOpen() ? exports_.HidDevice->featureReportLength : 0;
}

std::size_t AdapterLink::outputReportLength() const {
    return isOpen() ? exports_.HidDevice->outputReportLength : 0;
}

bool AdapterLink::report(const std::string& what, std::size_t length,
                         const std::function<bool()>& call) {
    LinkRecord record;
    record.operation = LinkRecord::Operation::Report;
    record.what = what;
    record.length = static_cast<std::uint32_t>(length);
    const auto start = Clock::now();
    record.ok = isOpen() && call();
    record.elapsed = since(start);
    if (!record.ok) {
        record.result = isOpen() ? 0 : LINK_NOT_OPEN;
        record.problem = isOpen() ? "the adapter refused the " + what : "no adapter is open";
        record.hidError = hidError();
    }
    finish(record);
    return record.ok;
}

bool AdapterLink::sendFeature(std::span<const std::uint8_t> bytes, const std::string& what) {
    return report(what, bytes.size(), [&] {
        return static_cast<HidHandle*>(exports_.HidDevice->handle)->sendFeature(bytes);
    });
}

bool AdapterLink::getFeature(std::span<std::uint8_t> bytes, const std::string& what) {
    return report(what, bytes.size(), [&] {
        return static_cast<HidHandle*>(exports_.HidDevice->handle)->getFeature(bytes);
    });
}

bool AdapterLink::writeOutput(std::span<const std::uint8_t> bytes, const std::string& what) {
    return report(what, bytes.size(), [&] {
        return static_cast<HidHandle*>(exports_.HidDevice->handle)->writeOutput(bytes);
    });
}

void AdapterLink::cancelIo() {
    report(kCancelRead, 0, [&] {
        static_cast<HidHandle*>(exports_.HidDevice->handle)->cancel();
        return true;
    });
}

bool AdapterLink::deviceGone() {
    if (!isOpen()) {
        return true;
    }
    auto* handle = static_cast<HidHandle*>(exports_.HidDevice->handle);
    std::vector<std::uint8_t> probe(std::max<std::size_t>(handle->inputReportLength(), 1));
    return handle->readInput(probe, 1) == HidHandle::kDeviceGone;
}

void AdapterLink::noteFailure(LinkRecord record) {
    record.ok = false;
    finish(record);
}

const std::uint8_t* AdapterLink::readData(std::uint8_t command, std::uint32_t address,
                                          std::uint32_t length) {
    LinkRecord record;
    record.operation = LinkRecord::Operation::ReadData;
    record.what = "read back with " + WireNames::commandWithCode(command);
    record.command = command;
    record.address = address;
    record.length = length;
    const auto start = Clock::now();
    std::uint8_t* area = bound() && exports_.ICE_Read_Data != nullptr
                             ? exports_.Ice + IceLayout::kReadBack
                             : nullptr;
    record.result =
        area != nullptr ? exports_.ICE_Read_Data(command, area, address, length) : LINK_NOT_OPEN;
    record.elapsed = since(start);
    record.ok = record.result == 0;
    if (!record.ok) {
        record.problem = "reading " + std::to_string(length) + " bytes with " +
                         WireNames::commandWithCode(command) +
                         " failed: " + linkResultText(record.result);
        record.hidError = hidError();
    }
    finish(record);
    return record.ok ? area : nullptr;
}

} // namespace halden
