#include "cli/HaldenCli.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CommandTable.h"

namespace halden {

int HaldenCli::run(const std::vector<std::string>& given) {
    // --verbose and --partial-hex may stand before the command; the command takes
    // --partial-hex as its own.
    std::size_t leading = 0;
    bool verbose = false;
    bool partialHex = false;
    for (; leading < given.size(); ++leading) {
        if (given[leading] == "--verbose") {
            verbose = true;
        } else if (given[leading] == CliArguments::kPartialHex) {
            partialHex = true;
        } else {
            break;
        }
    }
    std::vector<std::string> arguments(given.begin() + static_cast<std::ptrdiff_t>(leading),
                                       given.end());
    if (partialHex && !arguments.empty()) {
        arguments.push_back(CliArguments::kPartialHex);
    }
    if (arguments.empty()) {
        CommandTable::printHelp(out_);
        return kUsage;
    }
    const std::string& word = arguments.front();
    if (word == "--help" || word == "-h" || word == "help") {
        CommandTable::printHelp(out_);
        return kSuccess;
    }
    if (word == "--version") {
        out_ << "halden " << HALDEN_VERSION << '\n';
        return kSuccess;
    }
    CliContext context(out_, err_, terminal_, verbose);
    const CommandTable::Command* command = CommandTable::find(arguments);
    if (command == nullptr && CommandTable::hasOperations(word)) {
        return context.usageError(
            word, arguments.size() == 1 ? "which operation?" : "unknown operation " + arguments[1]);
    }
    if (command == nullptr) {
        err_ << "halden: unknown command '" << word << "'. Try 'halden --help'.\n";
        return kUsage;
    }
    const auto rest =
        arguments.begin() + static_cast<std::ptrdiff_t>(CommandTable::wordsOf(*command));
    return command->handler(context, std::vector<std::string>(rest, arguments.end()));
}

} // namespace halden
