#pragma once

#include "cli/HaldenCli.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace halden::test {

// What a halden run printed and how it ended.
struct HaldenProcess {
    int code = -1;
    std::string output; // standard output and error together
};

// The real halden, which loads the link library beside itself, started in the background
// against the emulator (none when emulator is empty); redirection says where its output
// goes (by default, both streams into the pipe).
inline FILE* startHalden(const std::string& emulator, const std::string& arguments,
                         const std::string& redirection = "2>&1") {
    const std::string command =
        (emulator.empty() ? "env -u TAVRO_EMULATOR " : "TAVRO_EMULATOR='" + emulator + "' ") +
        std::string(HALDEN_BIN_DIR) + "/halden " + arguments + " " + redirection;
    return popen(command.c_str(), "r");
}

// Reads what a started run prints until it ends.
inline HaldenProcess finishHalden(FILE* pipe) {
    HaldenProcess run;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline HaldenProcess runHalden(const std::string& emulator, const std::string& arguments) {
    return finishHalden(startHalden(emulator, arguments));
}

// The command line run inside the test, its two streams apart.
struct CliResult {
    int code;
    std::string out;
    std::string err;
};

inline CliResult runCli(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    HaldenCli cli(out, err);
    const int code = cli.run(arguments);
    return {code, out.str(), err.str()};
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace halden::test
