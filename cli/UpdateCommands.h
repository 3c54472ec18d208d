#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden update-check: the programmer's update check, its question answered from the
// command line, "CheckVersion" kept in the programmer's own settings.
class UpdateCommands {
public:
    explicit UpdateCommands(CliContext& context) : context_(context) {}

    int updateCheck(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
