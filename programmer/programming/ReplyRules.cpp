#include "programmer/programming/ReplyRules.h"

#include "adapter/wire/AdapterStatus.h"

namespace halden {

namespace {

using Notice = ReplyRules::Notice;
using Step = ReplyRules::Step;

// Data commands and the erase stay silent from 1.8 V to 5.5 V, the target's opening
// from 2.0 V to 3.6 V.
constexpr double kCommandLow = 1.8;
constexpr double kCommandHigh = 5.5;
constexpr double kTargetLow = 2.0;
constexpr double kTargetHigh = 3.6;

bool fitting(int readResult, const std::optional<AdapterReply>& reply, std::uint8_t tag) {
    return readResult == 0 && reply && reply->tag == tag;
}

// The notice for a failure status of a data command or the erase; `other` for statuses
// without a text of their own.
Notice commandNotice(const AdapterReply& reply, Notice other) {
    switch (reply.status) {
    case STATUS_CHECKSUM_MISMATCH:
        return Notice::ChecksumMismatch;
    case STATUS_VOLTAGE:
        return ReplyRules::voltageOutside(reply.millivolts, kCommandLow, kCommandHigh)
                   ? Notice::VoltageOutOfRange
                   : Notice::None;
    case STATUS_NO_TARGET:
        return Notice::NoResponse;
    default:
        return other;
    }
}

} // namespace

bool ReplyRules::voltageOutside(std::uint16_t millivolts, double low, double high) {
    const double volts = AdapterReply::volts(millivolts);
    return volts < low || volts > high;
}

ReplyRules::DataJudgement ReplyRules::dataCommand(int readResult,
                                                  const std::optional<AdapterReply>& reply,
                                                  std::uint8_t tag) {
    if (!fitting(readResult, reply, tag)) {
        return {false, Notice::None};
    }
    if (reply->status == STATUS_DONE) {
        return {true, Notice::None};
    }
    return {false, commandNotice(*reply, Notice::None)};
}

ReplyRules::EraseJudgement
ReplyRules::eraseChip(int readResult, const std::optional<AdapterReply>& reply, std::uint8_t tag) {
    if (!fitting(readResult, reply, tag)) {
        return {kEraseNoReply, Notice::None};
    }
    if (reply->status == STATUS_DONE) {
        return {0, Notice::None};
    }
    return {kEraseFailed, commandNotice(*reply, Notice::EraseFailed)};
}

ReplyRules::TargetJudgement
ReplyRules::openTarget(int readResult, const std::optional<AdapterReply>& reply, std::uint8_t tag) {
    if (!fitting(readResult, reply, tag)) {
        return {Step::NoReply, Notice::None};
    }
    switch (reply->status) {
    case STATUS_DONE:
        return {Step::Proceed, Notice::None};
    case STATUS_CHECKSUM_MISMATCH:
        return {Step::Stop, Notice::ChecksumMismatch};
    case STATUS_VOLTAGE:
        return {Step::Stop, voltageOutside(reply->millivolts, kTargetLow, kTargetHigh)
                                ? Notice::VoltageOutOfRange
                                : Notice::None};
    case STATUS_NO_TARGET:
        return {Step::Stop, Notice::NoResponse};
    default:
        return {Step::Stop, Notice::UnknownStatus};
    }
}

ReplyRules::TargetJudgement ReplyRules::checkTarget(int readResult,
                                                    const std::optional<AdapterReply>& reply,
                                                    std::uint8_t tag) {
    if (readResult == kPlatformInvalidData) {
        return {Step::NoReply, Notice::TargetMissing};
    }
    if (!fitting(readResult, reply, tag)) {
        return {Step::NoReply, Notice::None};
    }
    switch (reply->status) {
    case STATUS_DONE:
    case STATUS_DONE_TOO:
        return {Step::Proceed, Notice::None};
    case STATUS_CHECKSUM_MISMATCH:
        return {Step::Stop, Notice::ChecksumMismatch};
    case STATUS_NO_TARGET:
        return {Step::Stop, Notice::NoResponse};
    case STATUS_WRONG_PART:
        return {Step::Stop, Notice::WrongTarget};
    default:
        return {Step::Stop, Notice::None};
    }
}

} // namespace halden
