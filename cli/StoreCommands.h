#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden store: Update Programmer from the command line. The off-line options edit the
// freshly reset settings by the Off-Line Mode dialog's rules; what a rule changes is
// told on err as a "halden: warning:" line.
class StoreCommands {
public:
    explicit StoreCommands(CliContext& context) : context_(context) {}

    int store(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
