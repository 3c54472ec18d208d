#pragma once

#include "common/MessageService.h"
#include "programmer/text/UiText.h"

namespace halden {

// Message boxes whose text and caption come by ID from the UI texts.
class TextMessage {
public:
    TextMessage(MessageService& messages, const UiText& text,
                std::u16string applicationName = u"Halden_Programmer")
        : messages_(messages), text_(text), applicationName_(std::move(applicationName)) {}

    // The message carries textId, so a question is told apart by it.
    MessageAnswer ShowTextMessage(std::uint16_t captionId, std::uint16_t textId,
                                  MessageStyle style) const {
        style.textId = textId;
        return messages_.show(text_.text(textId), text_.text(captionId), style);
    }
    // Text textId under the application's name.
    MessageAnswer showApplicationMessage(std::uint16_t textId, MessageStyle style) const {
        style.textId = textId;
        return messages_.show(text_.text(textId), applicationName_, style);
    }

    MessageService& messages() const { return messages_; }
    const UiText& text() const { return text_; }
    // The caption of the application's own message boxes.
    const std::u16string& applicationName() const { return applicationName_; }

private:
    MessageService& messages_;
    const UiText& text_;
    std::u16string applicationName_;
};

} // namespace halden
