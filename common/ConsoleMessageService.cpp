#include "ConsoleMessageService.h"

#include "Unicode.h"

namespace halden {

ConsoleMessageService::ConsoleMessageService(std::ostream& out, AnswerPolicy policy)
    : out_(out), policy_(std::move(policy)) {}

MessageAnswer ConsoleMessageService::show(std::u16string_view text, std::u16string_view caption,
                                          MessageStyle style) {
    out_ << '[' << Unicode::toUtf8(caption) << "] " << Unicode::toUtf8(text) << std::endl;
    return policy_ ? policy_(text, style) : defaultAnswer(style.buttons);
}

void ConsoleMessageService::beep(MessageIcon) {}

} // namespace halden
