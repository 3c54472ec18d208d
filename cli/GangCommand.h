#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden gang [--adapters all|PATH,...] COMMAND ARGS...: runs the command on every
// chosen adapter at once, one halden process for each (the link library keeps one
// adapter per process), each told its adapter with --adapter. Prints one result line
// per adapter in the order of the list, "all" naming every attached adapter, also one
// that cannot take part (not in programmer mode), which fails with its reason; exits 0
// only when every adapter passed. A --log among ARGS is shared: every process appends
// its own whole lines, and the gang one for each adapter left out.
class GangCommand {
public:
    struct Run {
        std::string adapterPath;
        int code = -1; // the process's exit status; -1 when it did not start or end
        std::string output;
    };

    explicit GangCommand(CliContext& context) : context_(context) {}

    int run(const std::vector<std::string>& arguments);

    // The commands a gang runs: program, verify and store.
    static bool runsOnEveryAdapter(const std::string& command);

private:
    // An adapter the gang names and, when it cannot take part, why.
    struct Member {
        std::string path;
        std::string cannotTakePart;
    };

    // "all": every attached adapter, those not in programmer mode with their reason.
    std::vector<Member> chooseAdapters(const std::string& choice);
    // One run for each member in its order; a member that cannot take part is not started
    // and fails with its reason.
    std::vector<Run> runAll(const std::vector<Member>& members, const std::string& command,
                            const std::vector<std::string>& arguments);
    // A member that cannot take part has no process to write its trace-log line: it is
    // written here, when the arguments name a log. False when a line could not be written.
    bool logLeftOut(const std::vector<Member>& members, const std::string& command,
                    const std::vector<std::string>& arguments);

    CliContext& context_;
};

} // namespace halden
