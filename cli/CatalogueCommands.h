#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// halden parts and halden options.
class CatalogueCommands {
public:
    CatalogueCommands(CliSession& session, std::ostream& out, std::ostream& err)
        : session_(session), out_(out), err_(err) {}

    int parts(const std::vector<std::string>& arguments);
    int options(const std::vector<std::string>& arguments);

private:
    void printOptions(bool json);

    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
