#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// The production line's commands: halden read, verify, blank-check and adapters. Each
// adapter command takes --adapter PATH and --log FILE (AdapterOptions).
class ProductionCommands {
public:
    ProductionCommands(CliSession& session, std::ostream& out, std::ostream& err, bool terminal,
                       bool verbose)
        : session_(session), out_(out), err_(err), terminal_(terminal), verbose_(verbose) {}

    int read(const std::vector<std::string>& arguments);
    int verify(const std::vector<std::string>& arguments);
    int blankCheck(const std::vector<std::string>& arguments);
    int adapters(const std::vector<std::string>& arguments);

private:
    int usage(const char* command, const std::string& error, const char* text);

    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    bool verbose_;
};

} // namespace halden
