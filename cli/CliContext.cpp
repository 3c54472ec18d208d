#include "cli/CliContext.h"

#include "cli/CliSession.h"
#include "cli/CommandTable.h"
#include "cli/HaldenCli.h"

namespace halden {

CliContext::CliContext(std::ostream& output, std::ostream& errors, bool onTerminal, bool printLink)
    : out(output), err(errors), terminal(onTerminal), verbose(printLink) {}

CliContext::~CliContext() = default;

CliSession& CliContext::session() {
    if (!session_) {
        session_ = std::make_unique<CliSession>(err);
    }
    return *session_;
}

int CliContext::usageError(const std::string& command, const std::string& error) const {
    err << "halden " << command << ": " << error << '\n' << CommandTable::usage(command);
    return HaldenCli::kUsage;
}

} // namespace halden
