#include "programmer/programming/CommandProtocol.h"

#include "adapter/wire/WireNames.h"
#include "programmer/programming/FlashComparison.h"

#include <algorithm>
#include <vector>

namespace halden {

namespace {

using Notice = ReplyRules::Notice;

constexpr std::u16string_view kErrorCaption = u"Error occured !";
constexpr std::uint16_t kTargetMissingText = 1111;
constexpr std::uint16_t kWrongTargetText = 1112;
constexpr std::uint16_t kErrorCaptionId = 1101;

std::u16string_view literalText(Notice notice) {
    switch (notice) {
    case Notice::ChecksumMismatch:
        return u"Checksum is not match !";
    case Notice::VoltageOutOfRange:
        return u"DUT's voltage is out of range !";
    case Notice::NoResponse:
        return u"DUT is no response!";
    case Notice::EraseFailed:
        return u"Erase Chip Fail!";
    case Notice::UnknownStatus:
        return u"Can't handle the error code!";
    default:
        return {};
    }
}

} // namespace

void CommandProtocol::show(Notice notice, std::u16string_view partName) const {
    const MessageStyle ok{MessageButtons::Ok, MessageIcon::None};
    const MessageStyle error{MessageButtons::Ok, MessageIcon::Error};
    switch (notice) {
    case Notice::None:
        return;
    case Notice::TargetMissing:
        messages_.show(text_.text(kTargetMissingText), text_.text(kErrorCaptionId), error);
        return;
    case Notice::WrongTarget:
        messages_.show(text_.text(kWrongTargetText) + u" \"" + std::u16string(partName) + u"\" !",
                       text_.text(kErrorCaptionId), error);
        return;
    default:
        messages_.show(literalText(notice), kErrorCaption, ok);
        return;
    }
}

int CommandProtocol::RunDataCommand(std::uint8_t command, std::span<const std::uint8_t> data) {
    if (!link_.isOpen()) {
        return 0;
    }
    const auto answer = link_.transact(LinkCommand::data(command, data), data, &observer_);
    if (answer.sent != 0 || answer.quit) {
        return 0;
    }
    const auto judgement = ReplyRules::dataCommand(answer.read, answer.reply, answer.tag);
    show(judgement.notice);
    return judgement.success ? 1 : 0;
}

int CommandProtocol::EraseChip() {
    if (!link_.bound()) {
        return ReplyRules::kEraseNoReply;
    }
    const auto answer = link_.transact(LinkCommand::eraseChip());
    if (answer.sent != 0) {
        return answer.sent;
    }
    const auto judgement = ReplyRules::eraseChip(answer.read, answer.reply, answer.tag);
    show(judgement.notice);
    return judgement.result;
}

CommandProtocol::ReadBack CommandProtocol::readBack(std::uint8_t command,
                                                    std::span<const std::uint8_t> expected) {
    if (!link_.bound()) {
        return ReadBack::ReadFailed;
    }
    const std::uint8_t* area =
        link_.readData(command, 0, static_cast<std::uint32_t>(expected.size()));
    if (area == nullptr) {
        return ReadBack::ReadFailed;
    }
    const std::span<const std::uint8_t> read(area, expected.size());
    const auto difference = FlashComparison::compare(read, expected);
    if (!difference) {
        return ReadBack::Match;
    }
    // The read itself went well: the comparison is the failure the record is left for.
    LinkRecord record;
    record.operation = LinkRecord::Operation::ReadData;
    record.what = "compare of the read-back with " + WireNames::commandWithCode(command);
    record.command = command;
    record.length = static_cast<std::uint32_t>(expected.size());
    record.problem = "the data read back with " + WireNames::commandWithCode(command) +
                     " differ from the code sent in " + std::to_string(difference->count) +
                     (difference->count == 1 ? " byte" : " bytes") + ", the first at " +
                     WireNames::hex(difference->firstAddress, 8) + " (" +
                     WireNames::hex(difference->chipByte) + ", not " +
                     WireNames::hex(difference->fileByte) + ")";
    link_.noteFailure(std::move(record));
    return ReadBack::Mismatch;
}

ReplyRules::Step CommandProtocol::OpenTarget(std::uint8_t parameter0, std::uint8_t parameter1) {
    if (!link_.bound()) {
        return ReplyRules::Step::NoReply;
    }
    const auto answer = link_.transact(LinkCommand::openTarget(parameter0, parameter1));
    const auto judgement = ReplyRules::openTarget(readResult(answer), answer.reply, answer.tag);
    show(judgement.notice);
    return judgement.step;
}

ReplyRules::Step CommandProtocol::CheckTarget(std::uint16_t partIndex,
                                              std::u16string_view partName) {
    if (!link_.bound()) {
        return ReplyRules::Step::NoReply;
    }
    const auto answer = link_.transact(LinkCommand::checkTarget(partIndex));
    const auto judgement = ReplyRules::checkTarget(readResult(answer), answer.reply, answer.tag);
    show(judgement.notice, partName);
    return judgement.step;
}

int CommandProtocol::CloseTarget() {
    return link_.bound() ? link_.transact(LinkCommand::closeTarget()).sent : 1;
}

} // namespace halden
