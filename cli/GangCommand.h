#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden gang [--adapters all|PATH,...] COMMAND ARGS...: runs the command on every
// chosen adapter at once, one halden process for each (the link library keeps one
// adapter per process), each told its adapter with --adapter. Prints one result line
// per adapter in the order of the list; exits 0 only when every adapter passed. A
// --log among ARGS is shared: every process appends its own whole lines.
class GangCommand {
public:
    struct Run {
        std::string adapterPath;
        int code = -1; // the process's exit status; -1 when it did not start or end
        std::string output;
    };

    explicit GangCommand(CliContext& context) : context_(context) {}

    int run(const std::vector<std::string>& arguments);

    // The commands a gang runs: program and verify (store joins them once it exists).
    static bool runsOnEveryAdapter(const std::string& command);

private:
    std::vector<std::string> chooseAdapters(const std::string& choice);
    std::vector<Run> runAll(const std::vector<std::string>& adapters, const std::string& command,
                            const std::vector<std::string>& arguments);

    CliContext& context_;
};

} // namespace halden
