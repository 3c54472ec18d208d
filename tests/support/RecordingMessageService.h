#pragma once

#include "MessageService.h"
#include "Unicode.h"

#include <deque>
#include <string>
#include <vector>

namespace halden::test {

// Records every message and answers from a queue; with the queue empty, with the
// message's default button.
class RecordingMessageService : public MessageService {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageStyle style;
    };

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override {
        messages.push_back({Unicode::toUtf8(text), Unicode::toUtf8(caption), style});
        if (answers.empty()) {
            return defaultAnswer(style.buttons);
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep(MessageIcon icon) override { beeps.push_back(icon); }

    std::vector<Message> messages;
    std::vector<MessageIcon> beeps;
    std::deque<MessageAnswer> answers;
};

} // namespace halden::test
