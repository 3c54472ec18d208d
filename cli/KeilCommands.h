#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden keil: the setup tool's Install and Uninstall on a Keil MDK folder, and the Keil
// folders the user's Wine prefixes hold.
class KeilCommands {
public:
    explicit KeilCommands(CliContext& context) : context_(context) {}

    // action: "install" or "uninstall".
    int change(const std::string& action, const std::vector<std::string>& arguments);
    int find(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
