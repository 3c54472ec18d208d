#pragma once

#include "common/MessageService.h"

#include <cstdint>
#include <map>
#include <ostream>

namespace halden {

// Messages as single lines "[caption] text" on a stream (standard error in the
// command line). A question is answered from the answer table by its text ID; a
// question the table does not name gets the message's default button.
class ConsoleMessageService : public MessageService {
public:
    explicit ConsoleMessageService(std::ostream& out) : out_(out) {}

    // How the question with UI text textId is answered from now on.
    void setAnswer(std::uint16_t textId, MessageAnswer answer) { answers_[textId] = answer; }
    // How often the message with UI text textId was shown.
    std::size_t shown(std::uint16_t textId) const;

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override;

private:
    std::ostream& out_;
    std::map<std::uint16_t, MessageAnswer> answers_;
    std::map<std::uint16_t, std::size_t> shown_;
};

} // namespace halden
