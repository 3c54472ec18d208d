#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

// The halden command line: the system's operations without a window.
// Exit status: 0 success, 1 the operation failed, 2 wrong usage.
class HaldenCli {
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailed = 1;
    static constexpr int kUsage = 2;

    HaldenCli(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // arguments without the program name.
    int run(const std::vector<std::string>& arguments);

private:
    void printHelp() const;

    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
