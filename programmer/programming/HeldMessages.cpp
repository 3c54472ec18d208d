#include "programmer/programming/HeldMessages.h"

namespace halden {

MessageAnswer HeldMessages::show(std::u16string_view text, std::u16string_view caption,
                                 MessageStyle style) {
    ++shown_;
    lastText_ = std::u16string(text);
    if (style.buttons == MessageButtons::Ok) {
        held_.push_back({std::u16string(text), std::u16string(caption), style});
        return MessageAnswer::Ok;
    }
    release();
    return messages_.show(text, caption, style);
}

void HeldMessages::release() {
    for (const Held& message : held_) {
        messages_.show(message.text, message.caption, message.style);
    }
    held_.clear();
}

} // namespace halden
