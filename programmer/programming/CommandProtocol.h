#pragma once

#include "adapter/AdapterLink.h"
#include "adapter/TransferObserver.h"
#include "common/MessageService.h"
#include "programmer/programming/ReplyRules.h"
#include "programmer/text/UiText.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace halden {

// The adapter transactions that Update Target and Update Programmer are built of: each
// command goes out as a value through the adapter link, and failures are told through
// the message service by the rules of ReplyRules. No command is retried.
class CommandProtocol {
public:
    CommandProtocol(AdapterLink& link, MessageService& messages, const UiText& text,
                    TransferObserver& observer)
        : link_(link), messages_(messages), text_(text), observer_(observer) {}

    // 1 when the adapter took the data and answered the tag with status 0, else 0.
    int RunDataCommand(std::uint8_t command, std::span<const std::uint8_t> data);
    // 0; 13 when no fitting reply came; 21 when the adapter reported a failure; or the
    // non-zero result of ICE_Send_Command.
    int EraseChip();
    enum class ReadBack { Match, Mismatch, ReadFailed };
    // Reads the adapter's data with command and compares it with the expected bytes.
    ReadBack readBack(std::uint8_t command, std::span<const std::uint8_t> expected);
    // Whether the adapter's data read with command equal the expected bytes; false when
    // the read itself fails.
    bool ReadBackAndCompare(std::uint8_t command, std::span<const std::uint8_t> expected) {
        return readBack(command, expected) == ReadBack::Match;
    }

    // CMD_OPEN_TARGET with the part's first two parameter bytes.
    ReplyRules::Step OpenTarget(std::uint8_t parameter0, std::uint8_t parameter1);
    // CMD_CHECK_TARGET with the part index; partName goes into the wrong-target message.
    ReplyRules::Step CheckTarget(std::uint16_t partIndex, std::u16string_view partName);
    // CMD_CLOSE_TARGET; its reply is not read. The library call's result.
    int CloseTarget();

    // The message a notice shows; nothing shown for Notice::None.
    void show(ReplyRules::Notice notice, std::u16string_view partName = {}) const;

private:
    // ReplyRules' view of an answer: the read's result, or the send's when it failed.
    static int readResult(const AdapterLink::Answer& answer) {
        return answer.sent != 0 ? answer.sent : answer.read;
    }

    AdapterLink& link_;
    MessageService& messages_;
    const UiText& text_;
    TransferObserver& observer_;
};

} // namespace halden
