#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace halden {

class CliSession;

// What every halden command runs with: its two streams, whether err is a terminal (long
// transfers then draw a progress bar on it), whether adapter transactions are printed
// (--verbose), and the programmer's session, set up at its first use so that the
// commands that need no tables do not pay for them.
struct CliContext {
    CliContext(std::ostream& output, std::ostream& errors, bool onTerminal = false,
               bool printLink = false);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    CliSession& session();
    // "halden COMMAND: error" and the command's usage from the command table on err;
    // HaldenCli::kUsage. command: the table's name, e.g. "qpf info".
    int usageError(const std::string& command, const std::string& error) const;

    std::ostream& out;
    std::ostream& err;
    const bool terminal;
    const bool verbose;

private:
    std::unique_ptr<CliSession> session_;
};

} // namespace halden
