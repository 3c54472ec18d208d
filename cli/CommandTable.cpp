#include "cli/CommandTable.h"

#include "cli/CatalogueCommands.h"
#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/FirmwareCommands.h"
#include "cli/FormCommands.h"
#include "cli/GangCommand.h"
#include "cli/ImageCommands.h"
#include "cli/KeilCommands.h"
#include "cli/ProductionCommands.h"
#include "cli/ProgramCommands.h"
#include "cli/QpfCommands.h"
#include "cli/StoreCommands.h"
#include "cli/UpdateCommands.h"

#include <algorithm>
#include <sstream>

namespace halden {

namespace {

using Arguments = std::vector<std::string>;

// The help's and the usage messages' width.
constexpr std::size_t kWidth = 80;
// Where a usage's further lines start: deeper than a summary's lines, which is how the
// man page writer tells a usage going on from its summary.
constexpr const char* kUsageIndent = "       ";

const std::vector<CommandTable::Command> kCommands = {
    {"parts", "parts [--json]",
     "the catalogue: index, name, series, flash size, option-byte count, chip ID, parameter "
     "bytes",
     [](CliContext& c, const Arguments& a) { return CatalogueCommands(c).parts(a); }},
    {"options", "options --part NAME [--set LABEL=on|off]... [--json]",
     "the part's option bytes as its check boxes build them",
     [](CliContext& c, const Arguments& a) { return CatalogueCommands(c).options(a); }},
    {"image",
     "image --part NAME [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... [-o OUT.bin] "
     "[--truncate] [--partial-hex] [--json]",
     "loads .bin/.hex files into the code buffer as Load File does (at HEXADDR, default 0; "
     "--clear empties the buffer before the next file), prints size and checksum; a file too "
     "large for the flash fails unless --truncate",
     [](CliContext& c, const Arguments& a) { return ImageCommands(c).image(a); }},
    {"hex2bin", "hex2bin [--partial-hex] IN.hex OUT.bin [--json]",
     "converts Intel HEX to a binary image from flash offset 0 (up to 64 MiB)",
     [](CliContext& c, const Arguments& a) { return ImageCommands(c).hex2bin(a); }},
    {"qpf info", "qpf info [--json] [--] FILE", "every field of a project file's trailer",
     [](CliContext& c, const Arguments& a) { return QpfCommands(c).info(a); }},
    {"qpf save",
     "qpf save --part NAME [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... -o OUT.qpf "
     "[--truncate] [--partial-hex]",
     "builds the code buffer as image does and saves it as a project file",
     [](CliContext& c, const Arguments& a) { return QpfCommands(c).save(a); }},
    {"program",
     "program [--part NAME] [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... [--truncate] "
     "[--partial-hex] [--adapter PATH] [--log FILE]",
     "Update Target: programs the files' code and the option bytes into the chip through the "
     "adapter (the emulator when TAVRO_EMULATOR is set)",
     [](CliContext& c, const Arguments& a) { return ProgramCommands(c).program(a); }},
    {"store",
     "store [--part NAME] [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... [--truncate] "
     "[--partial-hex] [--max-counter N] [--serial] [--serial-string TEXT] [--serial-number HEX] "
     "[--serial-address HEX] [--auto-increment] [--json] [--adapter PATH] [--log FILE]",
     "Update Programmer: stores the project (header and code) in the adapter for programming "
     "without a PC, with the Off-Line Mode dialog's options; a serial string takes up to 12 "
     "bytes, a serial number up to 8 hex digits, a counter up to 65530",
     [](CliContext& c, const Arguments& a) { return StoreCommands(c).store(a); }},
    {"adapter", "adapter [--json] [--adapter PATH]",
     "what the start-up probe finds: mode, firmware match, off-line capability",
     [](CliContext& c, const Arguments& a) { return ProgramCommands(c).adapter(a); }},
    {"read", "read --part NAME -o OUT.bin [--length N] [--adapter PATH] [--log FILE]",
     "reads N bytes of the chip's flash (default all of it) into OUT.bin, written whole or not "
     "at all; nothing is erased or programmed",
     [](CliContext& c, const Arguments& a) { return ProductionCommands(c).read(a); }},
    {"verify",
     "verify [--part NAME] [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... [--truncate] "
     "[--partial-hex] [--adapter PATH] [--log FILE]",
     "builds the code buffer as program does and compares the chip with it; a difference names "
     "its first address, both bytes and how many differ",
     [](CliContext& c, const Arguments& a) { return ProductionCommands(c).verify(a); }},
    {"blank-check", "blank-check --part NAME [--adapter PATH] [--log FILE]",
     "whether every flash byte reads 0xFF; if not, the first address that does not",
     [](CliContext& c, const Arguments& a) { return ProductionCommands(c).blankCheck(a); }},
    {"adapters", "adapters [--json]", "the attached adapters: path, mode, firmware, serial number",
     [](CliContext& c, const Arguments& a) { return ProductionCommands(c).adapters(a); }},
    {"gang", "gang [--adapters all|PATH,...] [--log FILE] program|verify|store ARGS...",
     "runs the command on every chosen adapter at once, one process each, ARGS as the command "
     "takes them without --adapter; one result line per adapter, also for an attached adapter "
     "that cannot take part; exit 0 only when every adapter passed",
     [](CliContext& c, const Arguments& a) { return GangCommand(c).run(a); }},
    {"firmware", "firmware [--json] [--adapter PATH]",
     "the adapter's mode, its firmware against the image the link library carries, and the "
     "carried version",
     [](CliContext& c, const Arguments& a) { return FirmwareCommands(c).run(a, false); }},
    {"firmware upgrade", "firmware upgrade [--json] [--adapter PATH] [--log FILE]",
     "upgrades the adapter's firmware through its boot loader (forced when it shows up needing "
     "new firmware or in its boot loader); exit 0 only after \"Tavro is upgraded !\"",
     [](CliContext& c, const Arguments& a) { return FirmwareCommands(c).run(a, true); }},
    {"form",
     "form PROJECT.qpf [--part NAME] [--to TEXT] [--from TEXT] [--part-no TEXT] [-o FORM.txt] "
     "[--bmp PICTURE.bmp] [--pdf FORM.pdf]",
     "the project's request form as text (standard output without -o), as the 1-bit picture "
     "Save Picture makes and as a printed PDF page; --part is the selected part that chooses "
     "the layout (default the project's own part)",
     [](CliContext& c, const Arguments& a) { return FormCommands(c).form(a); }},
    {"update-check", "update-check [--startup] [--url URL] [--answer yes|no|cancel] [--json]",
     "the programmer's update check, as from its menu or (--startup) at start-up, against URL "
     "or the setting UpdateServer; the question is answered with --answer (default: its "
     "default button); what would be opened is printed as [open] ADDRESS; \"CheckVersion\" is "
     "written in the programmer's settings",
     [](CliContext& c, const Arguments& a) { return UpdateCommands(c).updateCheck(a); }},
    {"keil install", "keil install MDKDIR [--json]",
     "registers the Tavro driver in the Keil MDK folder's TOOLS.INI ([ARMADS] TDRV key, "
     "SARMCM3.DLL list), copies M3_Tavro.dll from beside halden into Keil's BIN folder and "
     "prints the device family pack beside halden as [open] PATH; exit 1 when TOOLS.INI or its "
     "[ARMADS] section is missing",
     [](CliContext& c, const Arguments& a) { return KeilCommands(c).change("install", a); }},
    {"keil uninstall", "keil uninstall MDKDIR [--json]",
     "takes the registration back and deletes the copied driver",
     [](CliContext& c, const Arguments& a) { return KeilCommands(c).change("uninstall", a); }},
    {"keil find", "keil find [--json]",
     "the Keil MDK folders holding a TOOLS.INI in the user's Wine prefixes",
     [](CliContext& c, const Arguments& a) { return KeilCommands(c).find(a); }},
};

// An option every command that names it in its usage takes; takenBy: that usage's word
// (empty for the options halden itself takes).
struct CommonOption {
    const char* term;
    const char* takenBy;
    const char* text;
};

const CommonOption kOptions[] = {
    {"--help", "", "show this help and exit"},
    {"--version", "", "show the program's version and exit"},
    {"--verbose", "",
     "print every adapter transaction (command, tag, status, address, length, the HID layer's "
     "error, time) to standard error"},
    {"--adapter PATH", "[--adapter PATH]",
     "the adapter to open, as halden adapters lists it; default the first one"},
    {"--log FILE", "[--log FILE]",
     "appends one JSON line per operation to FILE (the trace log); a log that cannot be opened "
     "stops the operation before the adapter is touched"},
    {CliArguments::kPartialHex, "[--partial-hex]",
     "take what an Intel HEX file converts to even when the conversion stopped before its last "
     "data record or found none; without it such a file fails"},
    {"--", "", "ends the options: what follows are file names"},
};

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// A usage's words, those inside one pair of brackets and an option with its value joined,
// so that a line never breaks inside an option ("[-o OUT.bin]", "-o OUT.qpf").
std::vector<std::string> usageUnits(const std::string& usage) {
    std::vector<std::string> units;
    int depth = 0;
    for (const std::string& word : splitWords(usage)) {
        const bool optionValue = !units.empty() && units.back().front() == '-' &&
                                 units.back().find(' ') == std::string::npos &&
                                 word.front() != '-' && word.front() != '[';
        if (depth > 0 || optionValue) {
            units.back() += ' ' + word;
        } else {
            units.push_back(word);
        }
        for (const char c : word) {
            depth += c == '[' ? 1 : c == ']' ? -1 : 0;
        }
    }
    return units;
}

// The units filled into lines of kWidth: the first line after `first`, the others after
// `rest`.
std::string wrap(const std::vector<std::string>& units, const std::string& first,
                 const std::string& rest) {
    std::string wrapped = first;
    std::size_t lineStart = 0;
    bool lineEmpty = true;
    for (const std::string& word : units) {
        if (!lineEmpty && wrapped.size() - lineStart + 1 + word.size() > kWidth) {
            wrapped += '\n';
            lineStart = wrapped.size();
            wrapped += rest;
            lineEmpty = true;
        }
        wrapped += lineEmpty ? word : ' ' + word;
        lineEmpty = false;
    }
    return wrapped + '\n';
}

bool startsWith(const std::string& name, const std::string& word) {
    return name.size() > word.size() && name.compare(0, word.size(), word) == 0 &&
           name[word.size()] == ' ';
}

// "(program, read, verify)": the commands whose usage names the option.
std::string takenBy(const std::string& token) {
    std::string names;
    for (const auto& command : kCommands) {
        if (std::string(command.usage).find(token) != std::string::npos) {
            names += (names.empty() ? "(" : ", ") + std::string(command.name);
        }
    }
    return names.empty() ? names : names + ") ";
}

} // namespace

const std::vector<CommandTable::Command>& CommandTable::commands() {
    return kCommands;
}

std::size_t CommandTable::wordsOf(const Command& command) {
    return splitWords(command.name).size();
}

const CommandTable::Command* CommandTable::find(const std::vector<std::string>& arguments) {
    const Command* found = nullptr;
    for (const auto& command : kCommands) {
        const auto words = splitWords(command.name);
        const bool matches = words.size() <= arguments.size() &&
                             std::equal(words.begin(), words.end(), arguments.begin());
        if (matches && (found == nullptr || words.size() > wordsOf(*found))) {
            found = &command;
        }
    }
    return found;
}

bool CommandTable::hasOperations(const std::string& word) {
    return std::any_of(kCommands.begin(), kCommands.end(),
                       [&word](const Command& command) { return startsWith(command.name, word); });
}

std::string CommandTable::usage(const std::string& name) {
    std::string text;
    for (const auto& command : kCommands) {
        if (command.name == name || startsWith(command.name, name)) {
            // One line each, so that a script finds a command's whole usage on one line.
            text += (text.empty() ? "Usage: halden " : "       halden ") +
                    std::string(command.usage) + '\n';
        }
    }
    return text;
}

void CommandTable::printHelp(std::ostream& out) {
    out << "Usage: halden [--help] [--version] <command> [options]\n"
           "\n"
           "Programs Corvane Cortex-M chips through the Tavro adapter, without a window.\n"
           "\n"
           "Commands:\n";
    for (const auto& command : kCommands) {
        out << wrap(usageUnits(command.usage), "  ", kUsageIndent)
            << wrap(splitWords(command.summary), "      ", "      ");
    }
    out << "\nOptions:\n";
    for (const auto& option : kOptions) {
        std::string term = std::string("  ") + option.term + "  ";
        term.resize(std::max<std::size_t>(term.size(), 15), ' ');
        const std::string users = *option.takenBy == '\0' ? "" : takenBy(option.takenBy);
        out << wrap(splitWords(users + option.text), term, std::string(15, ' '));
    }
    out << "\n"
           "Messages that the programmer shows in a message box go to standard error as\n"
           "one line, [caption] text. Exit status: 0 success, 1 the operation failed,\n"
           "2 wrong usage. An adapter operation that fails ends, after the programmer's\n"
           "message if it shows one, with one line, halden: the step and what failed.\n";
}

} // namespace halden
