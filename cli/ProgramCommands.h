#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// halden program and halden adapter: work through the adapter (a real one, or the
// emulator when TAVRO_EMULATOR is set).
class ProgramCommands {
public:
    // verbose: every adapter transaction's record goes to err.
    ProgramCommands(CliSession& session, std::ostream& out, std::ostream& err, bool terminal,
                    bool verbose = false)
        : session_(session), out_(out), err_(err), terminal_(terminal), verbose_(verbose) {}

    int program(const std::vector<std::string>& arguments);
    int adapter(const std::vector<std::string>& arguments);

private:
    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    bool verbose_;
};

} // namespace halden
