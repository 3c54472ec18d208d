#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halden {

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
// The values of the classic message-box answers, so logs and tests read the same.
enum class MessageAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageStyle {
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // The button Enter presses; none: the first button.
    std::optional<MessageAnswer> defaultButton{};
    // The UI text ID of the message, which tells questions apart; 0 for texts that are
    // not in the text table.
    std::uint16_t textId = 0;
};

// Every message the system shows to its user goes through this service: message
// boxes in the programs, single lines in the command line, a recording fake in tests.
class MessageService {
public:
    virtual ~MessageService() = default;

    // Shows text under caption and returns the button the user chose.
    virtual MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                               MessageStyle style) = 0;
    // The system sound for the icon.
    virtual void beep(MessageIcon icon) = 0;

    // The first button of a box.
    static MessageAnswer defaultAnswer(MessageButtons buttons) {
        switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        default:
            return MessageAnswer::Ok;
        }
    }
    // The answer a user gets by pressing Enter: the message's default button.
    static MessageAnswer defaultAnswer(const MessageStyle& style) {
        return style.defaultButton.value_or(defaultAnswer(style.buttons));
    }
};

} // namespace halden
