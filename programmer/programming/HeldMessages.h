#pragma once

#include "common/MessageService.h"

#include <string>
#include <vector>

namespace halden {

// Holds an operation's plain messages (an OK button only) until release, so the trace
// log has its line on the disk before the operation reports its result. A question
// lets every held message out first and goes straight through. Remembers the last text.
class HeldMessages : public MessageService {
public:
    explicit HeldMessages(MessageService& messages) : messages_(messages) {}

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override { messages_.beep(icon); }

    void release();
    // The last message's text; empty when none was shown.
    const std::u16string& lastText() const { return lastText_; }
    bool anyShown() const { return shown_ > 0; }

private:
    struct Held {
        std::u16string text;
        std::u16string caption;
        MessageStyle style;
    };

    MessageService& messages_;
    std::vector<Held> held_;
    std::u16string lastText_;
    std::size_t shown_ = 0;
};

} // namespace halden
