#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

// halden keil: the setup tool's Install and Uninstall on a Keil MDK folder, and the Keil
// folders the user's Wine prefixes hold.
class KeilCommands {
public:
    KeilCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int run(const std::vector<std::string>& arguments);

private:
    int change(const std::string& action, const std::vector<std::string>& arguments);
    int find(const std::vector<std::string>& arguments);

    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
