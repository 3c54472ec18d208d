#pragma once

#include "adapter/wire/AdapterReply.h"

#include <cstdint>
#include <optional>

namespace halden {

// How the programmer judges the adapter's replies: pure functions of the read's result,
// the reply and the tag that went out. What the user is told is a Notice; the protocol
// turns it into the message box.
class ReplyRules {
public:
    enum class Notice {
        None,
        ChecksumMismatch,  // "Checksum is not match !"
        VoltageOutOfRange, // "DUT's voltage is out of range !"
        NoResponse,        // "DUT is no response!"
        EraseFailed,       // "Erase Chip Fail!"
        UnknownStatus,     // "Can't handle the error code!"
        TargetMissing,     // text 1111, caption 1101
        WrongTarget,       // text 1112 with the part name, caption 1101
    };
    // What Update Target does after CMD_OPEN_TARGET or CMD_CHECK_TARGET.
    enum class Step {
        Proceed,
        NoReply, // no reply, or a reply to another request: close the target and the link
        Stop,    // the adapter answered with a failure: stop, leaving target and link open
    };

    struct DataJudgement {
        bool success = false;
        Notice notice = Notice::None;
    };
    struct EraseJudgement {
        int result = 0; // 0, 13 no fitting reply, 21 the adapter reported a failure
        Notice notice = Notice::None;
    };
    struct TargetJudgement {
        Step step = Step::NoReply;
        Notice notice = Notice::None;
    };

    static constexpr int kPlatformInvalidData = 13;
    static constexpr int kEraseNoReply = 13;
    static constexpr int kEraseFailed = 21;

    // readResult: ReadReply's result; reply: the parsed reply when one was read.
    static DataJudgement dataCommand(int readResult, const std::optional<AdapterReply>& reply,
                                     std::uint8_t tag);
    static EraseJudgement eraseChip(int readResult, const std::optional<AdapterReply>& reply,
                                    std::uint8_t tag);
    static TargetJudgement openTarget(int readResult, const std::optional<AdapterReply>& reply,
                                      std::uint8_t tag);
    static TargetJudgement checkTarget(int readResult, const std::optional<AdapterReply>& reply,
                                       std::uint8_t tag);

    // Whether the supply lies below low or above high volts (AdapterReply::volts).
    static bool voltageOutside(std::uint16_t millivolts, double low, double high);
};

} // namespace halden
