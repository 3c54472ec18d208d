#pragma once

#include "common/MessageService.h"

#include <cstddef>
#include <ostream>

namespace halden {

class AdapterLink;

// What a halden adapter command says below the system's messages: with --verbose every
// transaction's record as it happens, and at the end of a failed operation one
// "halden:" line saying what failed when the system showed no message of its own (or
// when the adapter was in use, which the system's "no adapter" message does not say).
// It passes the operation's messages on to the console and counts them.
class LinkReport : public MessageService {
public:
    LinkReport(MessageService& messages, std::ostream& err, bool verbose)
        : messages_(messages), err_(err), verbose_(verbose) {}

    // Prints the link's records from now on when verbose.
    void attach(AdapterLink& link);
    // The operation failed: the "halden:" line where it is due.
    void failed(const AdapterLink& link);

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override { messages_.beep(icon); }

private:
    MessageService& messages_;
    std::ostream& err_;
    bool verbose_;
    std::size_t shown_ = 0;
};

} // namespace halden
