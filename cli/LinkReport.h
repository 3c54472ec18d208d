#pragma once

#include "common/MessageService.h"

#include <cstddef>
#include <ostream>

namespace halden {

class AdapterLink;

// What a halden adapter command says below the system's messages: with --verbose every
// transaction's record as it happens, and at the end of a failed operation one
// "halden:" line naming the step and the command that failed. It passes the operation's
// messages on to the console, except the system's "no adapter" message while the watched
// link found the adapter in use by another process: the halden: line says that instead.
class LinkReport : public MessageService {
public:
    LinkReport(MessageService& messages, std::ostream& err, bool verbose)
        : messages_(messages), err_(err), verbose_(verbose) {}

    // Prints the link's records from now on when verbose, and watches it.
    void attach(AdapterLink& link);
    // Watches the link's failures for the adapter in use.
    void watch(const AdapterLink& link) { link_ = &link; }
    // The operation failed: the "halden:" line.
    void failed(const AdapterLink& link);

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override { messages_.beep(icon); }

private:
    MessageService& messages_;
    std::ostream& err_;
    bool verbose_;
    const AdapterLink* link_ = nullptr;
};

} // namespace halden
