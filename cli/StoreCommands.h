#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// halden store: Update Programmer from the command line. The off-line options edit the
// freshly reset settings by the Off-Line Mode dialog's rules; what a rule changes is
// told on err as a "halden: warning:" line.
class StoreCommands {
public:
    StoreCommands(CliSession& session, std::ostream& out, std::ostream& err, bool terminal,
                  bool verbose = false)
        : session_(session), out_(out), err_(err), terminal_(terminal), verbose_(verbose) {}

    int store(const std::vector<std::string>& arguments);

private:
    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    bool verbose_;
};

} // namespace halden
