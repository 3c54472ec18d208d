#include "HaldenCli.h"

namespace halden {

void HaldenCli::printHelp() const {
    out_ << "Usage: halden [--help] [--version] <command> [options]\n"
            "\n"
            "Programs Corvane Cortex-M chips through the Tavro adapter, without a window.\n"
            "\n"
            "Options:\n"
            "  --help       show this help and exit\n"
            "  --version    show the program's version and exit\n"
            "\n"
            "Messages that the programmer shows in a message box go to standard error as\n"
            "one line, [caption] text. Exit status: 0 success, 1 the operation failed,\n"
            "2 wrong usage.\n";
}

int HaldenCli::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        printHelp();
        return kUsage;
    }
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        printHelp();
        return kSuccess;
    }
    if (command == "--version") {
        out_ << "halden " << HALDEN_VERSION << '\n';
        return kSuccess;
    }
    err_ << "halden: unknown command '" << command << "'. Try 'halden --help'.\n";
    return kUsage;
}

} // namespace halden
