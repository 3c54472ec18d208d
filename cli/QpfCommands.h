#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// halden qpf info and halden qpf save.
class QpfCommands {
public:
    QpfCommands(CliSession& session, std::ostream& out, std::ostream& err)
        : session_(session), out_(out), err_(err) {}

    // arguments after "qpf".
    int run(const std::vector<std::string>& arguments);

private:
    int info(const std::vector<std::string>& arguments);
    int save(const std::vector<std::string>& arguments);

    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
