#include "CommandProtocol.h"

#include "AdapterCommand.h"
#include "CommandBlock.h"
#include "IceLayout.h"
#include "ReportTransport.h"
#include "RequestTag.h"

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

std::span<std::uint8_t> CommandProtocol::ice() const {
    return {link_.Ice, link_.Ice ? IceLayout::kSize : 0};
}

bool CommandProtocol::linked() const {
    return link_.complete() && link_.HidDevice->handle != nullptr;
}

std::uint8_t CommandProtocol::freshTag() {
    const std::uint8_t tag = RequestTag::make();
    CommandBlock::setTag(ice(), tag);
    return tag;
}

CommandProtocol::Answer CommandProtocol::readAnswer() const {
    const std::size_t replyLength = link_.HidDevice->inputReportLength;
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(replyLength, AdapterReply::kSize + 1) -
                                    1);
    Answer answer;
    answer.read = ReportTransport::ReadReply(*link_.HidDevice, bytes);
    if (answer.read == 0) {
        answer.reply = AdapterReply::parse(bytes);
    }
    return answer;
}

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
    if (!linked()) {
        return 0;
    }
    const std::uint16_t checksum = CommandBlock::dataChecksum(data);
    CommandBlock::prepareDataCommand(ice(), command, static_cast<std::uint32_t>(data.size()),
                                     checksum);
    const std::uint8_t tag = freshTag();
    if (link_.ICE_Write() != 0) {
        return 0;
    }
    if (!ReportTransport::SendDataPhase(*link_.HidDevice, data, observer_)) {
        return 0;
    }
    const Answer answer = readAnswer();
    const auto judgement = ReplyRules::dataCommand(answer.read, answer.reply, tag);
    show(judgement.notice);
    return judgement.success ? 1 : 0;
}

int CommandProtocol::EraseChip() {
    if (!link_.complete()) {
        return ReplyRules::kEraseNoReply;
    }
    const std::uint8_t tag = freshTag();
    if (const int sent = link_.ICE_Send_Command(CMD_ERASE_CHIP, 1)) {
        return sent;
    }
    const Answer answer = readAnswer();
    const auto judgement = ReplyRules::eraseChip(answer.read, answer.reply, tag);
    show(judgement.notice);
    return judgement.result;
}

CommandProtocol::ReadBack CommandProtocol::readBack(std::uint8_t command,
                                                    std::span<const std::uint8_t> expected) {
    if (!link_.complete()) {
        return ReadBack::ReadFailed;
    }
    std::uint8_t* area = link_.Ice + IceLayout::kReadBack;
    if (link_.ICE_Read_Data(command, area, 0, static_cast<std::uint32_t>(expected.size())) != 0) {
        return ReadBack::ReadFailed;
    }
    return std::equal(expected.begin(), expected.end(), area) ? ReadBack::Match
                                                              : ReadBack::Mismatch;
}

ReplyRules::Step CommandProtocol::OpenTarget(std::uint8_t parameter0, std::uint8_t parameter1) {
    if (!link_.complete()) {
        return ReplyRules::Step::NoReply;
    }
    const std::uint8_t tag = freshTag();
    CommandBlock::setParameters(ice(), parameter0, parameter1);
    link_.ICE_Send_Command(CMD_OPEN_TARGET, 1);
    const Answer answer = readAnswer();
    const auto judgement = ReplyRules::openTarget(answer.read, answer.reply, tag);
    show(judgement.notice);
    return judgement.step;
}

ReplyRules::Step CommandProtocol::CheckTarget(std::uint16_t partIndex,
                                              std::u16string_view partName) {
    if (!link_.complete()) {
        return ReplyRules::Step::NoReply;
    }
    const std::uint8_t tag = freshTag();
    CommandBlock::setParameters(ice(), static_cast<std::uint8_t>(partIndex),
                                static_cast<std::uint8_t>(partIndex >> 8));
    link_.ICE_Send_Command(CMD_CHECK_TARGET, 1);
    const Answer answer = readAnswer();
    const auto judgement = ReplyRules::checkTarget(answer.read, answer.reply, tag);
    show(judgement.notice, partName);
    return judgement.step;
}

int CommandProtocol::CloseTarget() {
    return link_.complete() ? link_.ICE_Send_Command(CMD_CLOSE_TARGET, 1) : 1;
}

} // namespace halden
