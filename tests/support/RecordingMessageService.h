#pragma once

#include "common/MessageService.h"
#include "common/Unicode.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace halden::test {

// Records every message and answers a question by its text ID from answersById, else
// from the queue; with neither, with the message's default button.
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
        if (const auto byId = answersById.find(style.textId);
            style.textId != 0 && byId != answersById.end()) {
            return byId->second;
        }
        if (answers.empty()) {
            return defaultAnswer(style);
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep(MessageIcon icon) override { beeps.push_back(icon); }

    // Each message as "[caption] text", in order.
    std::vector<std::string> lines() const {
        std::vector<std::string> shown;
        for (const auto& message : messages) {
            shown.push_back("[" + message.caption + "] " + message.text);
        }
        return shown;
    }

    std::vector<Message> messages;
    std::vector<MessageIcon> beeps;
    std::map<std::uint16_t, MessageAnswer> answersById;
    std::deque<MessageAnswer> answers;
};

} // namespace halden::test
