#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

// halden update-check: the programmer's update check, its question answered from the
// command line, "CheckVersion" kept in the programmer's own settings.
class UpdateCommands {
public:
    UpdateCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int updateCheck(const std::vector<std::string>& arguments);

private:
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
