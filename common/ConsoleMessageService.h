#pragma once

#include "MessageService.h"

#include <functional>
#include <ostream>

namespace halden {

// Messages as single lines "[caption] text" on a stream (standard error in the
// command line). A question is answered by the answer policy; without one, by the
// message's default button.
class ConsoleMessageService : public MessageService {
public:
    using AnswerPolicy = std::function<MessageAnswer(std::u16string_view text, MessageStyle style)>;

    explicit ConsoleMessageService(std::ostream& out, AnswerPolicy policy = {});

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override;

private:
    std::ostream& out_;
    AnswerPolicy policy_;
};

} // namespace halden
