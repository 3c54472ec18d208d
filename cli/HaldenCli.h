#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

// The halden command line: the system's operations without a window, each chosen from
// the command table. Exit status: 0 success, 1 the operation failed, 2 wrong usage.
class HaldenCli {
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;

    // terminal: err is a terminal, so long transfers draw a progress bar on it.
    HaldenCli(std::ostream& out, std::ostream& err, bool terminal = false)
        : out_(out), err_(err), terminal_(terminal) {}

    // arguments without the program name.
    int run(const std::vector<std::string>& arguments);

private:
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
};

} // namespace halden
