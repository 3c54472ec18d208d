#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// Every halden command once: the words that choose it, its usage, what it does and the
// function that runs it. `halden --help`, each command's usage message and the man page
// (written from the help at build time) all come from here, so they cannot differ.
class CommandTable {
public:
    using Handler = int (*)(CliContext& context, const std::vector<std::string>& arguments);

    struct Command {
        const char* name;    // the words that choose it: "program", "qpf info"
        const char* usage;   // what follows "halden " on its usage line, name first
        const char* summary; // what it does, as one paragraph
        Handler handler;     // given the arguments after the name's words
    };

    static const std::vector<Command>& commands();
    // The command whose words begin the arguments (the one with the most words when
    // several do); nullptr when none does.
    static const Command* find(const std::vector<std::string>& arguments);
    // How many of the arguments' leading words the command's name takes.
    static std::size_t wordsOf(const Command& command);
    // Whether some command's name begins with this word and goes on ("qpf" for "qpf info").
    static bool hasOperations(const std::string& word);
    // "Usage: halden ..." lines, one for each form: the command of that name and those
    // whose names go on from it ("keil" gives install, uninstall and find).
    static std::string usage(const std::string& name);
    // The whole help: usage, every command with its summary, the common options.
    static void printHelp(std::ostream& out);
};

} // namespace halden
