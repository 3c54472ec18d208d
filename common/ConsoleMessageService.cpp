#include "common/ConsoleMessageService.h"

#include "common/Unicode.h"

namespace halden {

std::size_t ConsoleMessageService::shown(std::uint16_t textId) const {
    const auto found = shown_.find(textId);
    return found == shown_.end() ? 0 : found->second;
}

MessageAnswer ConsoleMessageService::show(std::u16string_view text, std::u16string_view caption,
                                          MessageStyle style) {
    out_ << '[' << Unicode::toUtf8(caption) << "] " << Unicode::toUtf8(text) << std::endl;
    if (style.textId == 0) {
        return defaultAnswer(style);
    }
    ++shown_[style.textId];
    const auto answer = answers_.find(style.textId);
    return answer == answers_.end() ? defaultAnswer(style) : answer->second;
}

void ConsoleMessageService::beep(MessageIcon) {}

} // namespace halden
