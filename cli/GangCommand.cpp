#include "cli/GangCommand.h"

#include "adapter/AdapterDirectory.h"
#include "adapter/LinkLibrary.h"
#include "adapter/wire/TavroProduct.h"
#include "cli/AdapterContext.h"
#include "cli/AdapterOptions.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "programmer/programming/TracedOperation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace halden {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        std::string part = text.substr(start, end == std::string::npos ? end : end - start);
        if (!part.empty()) {
            parts.push_back(std::move(part));
        }
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string lastLine(const std::string& output) {
    const auto end = output.find_last_not_of("\r\n");
    if (end == std::string::npos) {
        return {};
    }
    const auto begin = output.rfind('\n', end);
    return output.substr(begin == std::string::npos ? 0 : begin + 1,
                         end - (begin == std::string::npos ? 0 : begin + 1) + 1);
}

// What a failed run says of itself in one line: the programmer's last message and the
// halden: line of what failed after it, or whichever of the two it printed.
std::string failureOf(const std::string& output) {
    std::string message;
    std::string detail;
    for (const auto& line : split(output, '\n')) {
        if (line.starts_with("[")) {
            message = line;
        } else if (line.starts_with("halden: ") && !line.starts_with("halden: link: ")) {
            detail = line.substr(8);
        }
    }
    if (message.empty() || detail.empty()) {
        return message.empty() && detail.empty() ? lastLine(output) : message + detail;
    }
    return message + "; " + detail;
}

struct Child {
    pid_t pid = -1;
    int output = -1; // the read end of its standard output and error
};

// Why an attached adapter in this mode cannot take part in a gang; empty in programmer mode.
std::string cannotTakePart(std::uint16_t productId) {
    const std::string upgrade = "; halden firmware upgrade --adapter PATH brings it to "
                                "programmer mode";
    switch (productId) {
    case PRODUCT_PROGRAMMER:
        return {};
    case PRODUCT_BOOT_LOADER:
        return "cannot take part: the adapter is in its boot loader" + upgrade;
    case PRODUCT_NEEDS_FIRMWARE:
    case PRODUCT_RECOVERY:
        return "cannot take part: the adapter needs new firmware" + upgrade;
    default:
        return "cannot take part: the adapter is in an unknown mode";
    }
}

Child spawn(const std::string& program, const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    Child child;
    const int spawned =
        posix_spawn(&child.pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return {};
    }
    child.output = pipeEnds[0];
    return child;
}

} // namespace

bool GangCommand::runsOnEveryAdapter(const std::string& command) {
    return command == "program" || command == "verify" || command == "store";
}

std::vector<GangCommand::Member> GangCommand::chooseAdapters(const std::string& choice) {
    std::vector<Member> members;
    if (choice != "all") {
        for (auto& path : split(choice, ',')) {
            members.push_back({std::move(path), {}});
        }
        return members;
    }
    LinkLibrary library;
    if (!AdapterContext::loadLibrary(library, context_.err)) {
        return {};
    }
    for (const auto& device : AdapterDirectory(library).devices()) {
        members.push_back({device.path, cannotTakePart(device.productId)});
    }
    return members;
}

std::vector<GangCommand::Run> GangCommand::runAll(const std::vector<Member>& members,
                                                  const std::string& command,
                                                  const std::vector<std::string>& arguments) {
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    std::vector<Run> runs;
    std::vector<Child> children;
    for (const auto& [path, reason] : members) {
        if (!reason.empty()) {
            children.push_back({});
            runs.push_back({path, HaldenCli::kFailed, reason});
            continue;
        }
        std::vector<std::string> childArguments;
        if (context_.verbose) {
            childArguments.push_back("--verbose");
        }
        childArguments.push_back(command);
        childArguments.push_back(AdapterOptions::kAdapter);
        childArguments.push_back(path);
        childArguments.insert(childArguments.end(), arguments.begin(), arguments.end());
        children.push_back(spawn(self, childArguments));
        runs.push_back(
            {path, -1, children.back().pid < 0 ? "halden gang: cannot start halden" : ""});
    }
    // Every child's output is read as it comes, so none blocks on a full pipe.
    for (;;) {
        std::vector<pollfd> open;
        std::vector<std::size_t> owners;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (children[i].output >= 0) {
                open.push_back({children[i].output, POLLIN, 0});
                owners.push_back(i);
            }
        }
        if (open.empty()) {
            break;
        }
        if (::poll(open.data(), open.size(), -1) < 0 && errno != EINTR) {
            break;
        }
        for (std::size_t k = 0; k < open.size(); ++k) {
            if (open[k].revents == 0) {
                continue;
            }
            Child& child = children[owners[k]];
            char buffer[4096];
            const ssize_t n = ::read(child.output, buffer, sizeof buffer);
            if (n > 0) {
                runs[owners[k]].output.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(child.output);
                child.output = -1;
            }
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        if (children[i].pid > 0 && ::waitpid(children[i].pid, &status, 0) == children[i].pid) {
            runs[i].code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    }
    return runs;
}

int GangCommand::run(const std::vector<std::string>& arguments) {
    std::size_t next = 0;
    std::string choice = "all";
    std::vector<std::string> shared; // gang options every process takes: --log FILE
    while (next < arguments.size() &&
           (arguments[next] == "--adapters" || arguments[next] == AdapterOptions::kLog)) {
        if (next + 1 >= arguments.size()) {
            return context_.usageError("gang", arguments[next] + " needs a value");
        }
        if (arguments[next] == "--adapters") {
            choice = arguments[next + 1];
        } else {
            shared = {arguments[next], arguments[next + 1]};
        }
        next += 2;
    }
    if (next >= arguments.size()) {
        return context_.usageError("gang", "a COMMAND is required");
    }
    const std::string& command = arguments[next];
    if (!runsOnEveryAdapter(command)) {
        return context_.usageError("gang",
                                   "a gang runs program, verify or store, not '" + command + "'");
    }
    std::vector<std::string> rest = shared;
    rest.insert(rest.end(), arguments.begin() + static_cast<std::ptrdiff_t>(next) + 1,
                arguments.end());
    const auto beforeEnd = std::find(rest.begin(), rest.end(), "--");
    if (std::find(rest.begin(), beforeEnd, AdapterOptions::kAdapter) != beforeEnd) {
        return context_.usageError("gang", "the gang gives each process its --adapter; use "
                                           "--adapters");
    }
    const auto adapters = chooseAdapters(choice);
    if (adapters.empty()) {
        context_.err << "halden gang: no Tavro adapter is attached\n";
        return HaldenCli::kFailed;
    }
    const auto runs = runAll(adapters, command, rest);
    const bool logged = logLeftOut(adapters, command, rest);
    bool allPassed = logged;
    // Wrong arguments fail every process alike; those left out say nothing of them.
    std::size_t started = 0;
    std::size_t usageErrors = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        const bool passed = run.code == HaldenCli::kSuccess;
        allPassed = allPassed && passed;
        if (adapters[i].cannotTakePart.empty()) {
            ++started;
            usageErrors += run.code == HaldenCli::kUsage ? 1 : 0;
        }
        if (!passed || context_.verbose) {
            for (const auto& line : split(run.output, '\n')) {
                context_.err << run.adapterPath << ": " << line << '\n';
            }
        }
    }
    for (const auto& run : runs) {
        if (run.code == HaldenCli::kSuccess) {
            context_.out << run.adapterPath << ": ok\n";
        } else {
            // A usage error says what was wrong first, before the usage lines.
            const auto lines = split(run.output, '\n');
            const std::string said = run.code == HaldenCli::kUsage && !lines.empty()
                                         ? lines.front()
                                         : failureOf(run.output);
            context_.out << run.adapterPath << ": failed: " << said << '\n';
        }
    }
    if (allPassed) {
        return HaldenCli::kSuccess;
    }
    return started > 0 && usageErrors == started ? HaldenCli::kUsage : HaldenCli::kFailed;
}

bool GangCommand::logLeftOut(const std::vector<Member>& members, const std::string& command,
                             const std::vector<std::string>& arguments) {
    const auto beforeEnd = std::find(arguments.begin(), arguments.end(), "--");
    const auto log = std::find(arguments.begin(), beforeEnd, AdapterOptions::kLog);
    if (log == beforeEnd || log + 1 == beforeEnd) {
        return true;
    }
    bool written = true;
    for (const auto& [path, reason] : members) {
        if (reason.empty()) {
            continue;
        }
        TracedOperation traced(command, context_.session().messages());
        std::string problem = traced.open(*(log + 1));
        if (problem.empty()) {
            traced.record().adapterPath = path;
            traced.record().message = reason;
            problem = traced.finish(false, nullptr);
        }
        if (!problem.empty()) {
            context_.err << "halden gang: cannot write the trace log " << *(log + 1) << ": "
                         << problem << '\n';
            written = false;
        }
    }
    return written;
}

} // namespace halden
