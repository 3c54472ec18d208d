#include "programmer/programming/UpdateTarget.h"

#include "adapter/wire/AdapterCommand.h"
#include "programmer/catalogue/PartSettings.h"
#include "programmer/programming/AdapterOpening.h"
#include "programmer/programming/AdapterUi.h"
#include "programmer/programming/BusyGuard.h"
#include "programmer/text/TextMessage.h"

namespace halden {

namespace {

constexpr MessageStyle kError{MessageButtons::Ok, MessageIcon::Error};
constexpr MessageStyle kInformation{MessageButtons::Ok, MessageIcon::Information};

} // namespace

void UpdateTarget::close() {
    link_.close();
}

UpdateTarget::Result UpdateTarget::run() {
    if (busy_) {
        return Result::Busy;
    }
    BusyGuard guard(busy_);
    if (!AdapterOpening::open(link_, ui_, messages_, upgradeStarted_)) {
        return Result::Failed;
    }
    CommandProtocol protocol(link_, messages_.messages(), messages_.text(), observer_);
    return sequence(protocol);
}

UpdateTarget::Result UpdateTarget::sequence(CommandProtocol& protocol) {
    const PartRecord& record = part_.record();
    switch (protocol.OpenTarget(record.parameterBytes[0], record.parameterBytes[1])) {
    case ReplyRules::Step::Proceed:
        break;
    case ReplyRules::Step::NoReply:
        protocol.CloseTarget();
        close();
        return Result::Failed;
    case ReplyRules::Step::Stop:
        return Result::Failed; // target and link stay open
    }
    switch (protocol.CheckTarget(record.partIndex, record.partName)) {
    case ReplyRules::Step::Proceed:
        break;
    case ReplyRules::Step::NoReply:
        protocol.CloseTarget();
        ui_.showFilePath();
        close();
        return Result::Failed;
    case ReplyRules::Step::Stop:
        ui_.showFilePath();
        return Result::Failed;
    }
    if (protocol.EraseChip() != 0) {
        protocol.CloseTarget();
        ui_.showFilePath();
        close();
        return Result::Failed;
    }
    const std::vector<std::uint8_t> code = code_();
    if (!code.empty()) {
        ui_.setStatusText(u"");
        const int programmed = protocol.RunDataCommand(CMD_PROGRAM_CODE, code);
        ui_.showFilePath();
        if (programmed != 1) {
            return finish(protocol, 0);
        }
        switch (protocol.readBack(CMD_READ_TARGET_CODE, code)) {
        case CommandProtocol::ReadBack::Match:
            break;
        case CommandProtocol::ReadBack::Mismatch:
            messages_.messages().beep(MessageIcon::Question);
            messages_.ShowTextMessage(1101, 1100, kError);
            close();
            return Result::Failed;
        case CommandProtocol::ReadBack::ReadFailed:
            // Nothing could be compared: the chip is not known to hold the code.
            return finish(protocol, 0);
        }
    }
    part_.build();
    const int optionResult = protocol.RunDataCommand(
        CMD_PROGRAM_OPTIONS,
        std::span<const std::uint8_t>(record.optionBytes.data(), record.optionCount));
    return finish(protocol, optionResult);
}

UpdateTarget::Result UpdateTarget::finish(CommandProtocol& protocol, int optionResult) {
    const int closed = protocol.CloseTarget();
    const bool ok = optionResult == 1 && closed == 0;
    if (ok) {
        messages_.ShowTextMessage(1104, 1103, kInformation);
    } else {
        messages_.ShowTextMessage(1101, 1102, kError);
    }
    ui_.showFilePath();
    close();
    return ok ? Result::Ok : Result::Failed;
}

} // namespace halden
