#include "cli/HaldenCli.h"

#include "cli/CatalogueCommands.h"
#include "cli/CliArguments.h"
#include "cli/CliSession.h"
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

namespace halden {

void HaldenCli::printHelp() const {
    out_ << "Usage: halden [--help] [--version] <command> [options]\n"
            "\n"
            "Programs Corvane Cortex-M chips through the Tavro adapter, without a window.\n"
            "\n"
            "Commands:\n"
            "  parts [--json]\n"
            "      the catalogue: index, name, series, flash size, option-byte count, chip ID,\n"
            "      parameter bytes\n"
            "  options --part NAME [--set LABEL=on|off]... [--json]\n"
            "      the part's option bytes as its check boxes build them\n"
            "  image --part NAME [--clear] FILE[@HEXADDR]... [-o OUT.bin] [--truncate] [--json]\n"
            "      loads .bin/.hex files into the code buffer as Load File does (at HEXADDR,\n"
            "      default 0; --clear empties the buffer before the next file), prints size\n"
            "      and checksum; a file too large for the flash fails unless --truncate\n"
            "  hex2bin IN.hex OUT.bin [--json]\n"
            "      converts Intel HEX to a binary image from flash offset 0 (up to 64 MiB)\n"
            "  qpf info FILE [--json]\n"
            "      every field of a project file's trailer\n"
            "  qpf save --part NAME [--set LABEL=on|off]... FILE[@HEXADDR]... -o OUT.qpf\n"
            "      builds the code buffer as image does and saves it as a project file\n"
            "  program [--part NAME] [--set LABEL=on|off]... FILE[@HEXADDR]... [--truncate]\n"
            "      Update Target: programs the files' code and the option bytes into the chip\n"
            "      through the adapter (the emulator when TAVRO_EMULATOR is set)\n"
            "  store [--part NAME] [--set LABEL=on|off]... FILE[@HEXADDR]... [--truncate]\n"
            "       [--max-counter N] [--serial] [--serial-string TEXT] [--serial-number HEX]\n"
            "       [--serial-address HEX] [--auto-increment] [--json]\n"
            "      Update Programmer: stores the project (header and code) in the adapter for\n"
            "      programming without a PC, with the Off-Line Mode dialog's options\n"
            "  adapter [--json]\n"
            "      what the start-up probe finds: mode, firmware match, off-line capability\n"
            "  read --part NAME -o OUT.bin [--length N]\n"
            "      reads N bytes of the chip's flash (default all of it) into OUT.bin, written\n"
            "      whole or not at all; nothing is erased or programmed\n"
            "  verify [--part NAME] [--set LABEL=on|off]... FILE[@HEXADDR]... [--truncate]\n"
            "      builds the code buffer as program does and compares the chip with it;\n"
            "      a difference names its first address, both bytes and how many differ\n"
            "  blank-check --part NAME\n"
            "      whether every flash byte reads 0xFF; if not, the first address that does not\n"
            "  adapters [--json]\n"
            "      the attached adapters: path, mode, firmware, serial number\n"
            "  gang [--adapters all|PATH,...] [--log FILE] program|verify|store ARGS...\n"
            "      runs the command on every chosen adapter at once, one process each; one\n"
            "      result line per adapter; exit 0 only when every adapter passed\n"
            "  firmware [--json]\n"
            "      the adapter's mode, its firmware against the image the link library\n"
            "      carries, and the carried version\n"
            "  firmware upgrade [--json]\n"
            "      upgrades the adapter's firmware through its boot loader (forced when it\n"
            "      shows up needing new firmware or in its boot loader); exit 0 only after\n"
            "      \"Tavro is upgraded !\"\n"
            "  form PROJECT.qpf [--part NAME] [--to TEXT] [--from TEXT] [--part-no TEXT]\n"
            "       [-o FORM.txt] [--bmp PICTURE.bmp] [--pdf FORM.pdf]\n"
            "      the project's request form as text (standard output without -o), as the\n"
            "      1-bit picture Save Picture makes and as a printed PDF page; --part is the\n"
            "      selected part that chooses the layout (default the project's own part)\n"
            "  update-check [--startup] [--url URL] [--answer yes|no|cancel] [--json]\n"
            "      the programmer's update check, as from its menu or (--startup) at start-up,\n"
            "      against URL or the setting UpdateServer; the question is answered with\n"
            "      --answer (default: its default button); what would be opened is printed\n"
            "      as [open] ADDRESS; \"CheckVersion\" is written in the programmer's settings\n"
            "  keil install MDKDIR [--json]\n"
            "      registers the Tavro driver in the Keil MDK folder's TOOLS.INI ([ARMADS]\n"
            "      TDRV key, SARMCM3.DLL list), copies M3_Tavro.dll from beside halden into\n"
            "      Keil's BIN folder and prints the device family pack beside halden as\n"
            "      [open] PATH; exit 1 when TOOLS.INI or its [ARMADS] section is missing\n"
            "  keil uninstall MDKDIR [--json]\n"
            "      takes the registration back and deletes the copied driver\n"
            "  keil find [--json]\n"
            "      the Keil MDK folders holding a TOOLS.INI in the user's Wine prefixes\n"
            "\n"
            "Options:\n"
            "  --help       show this help and exit\n"
            "  --version    show the program's version and exit\n"
            "  --verbose    print every adapter transaction (command, tag, status, address,\n"
            "               length, the HID layer's error, time) to standard error\n"
            "  --adapter PATH  (program, read, verify, blank-check, adapter) the adapter to\n"
            "               open, as halden adapters lists it; default the first one\n"
            "  --log FILE   (program, read, verify, blank-check) appends one JSON line per\n"
            "               operation to FILE (the trace log); a log that cannot be opened\n"
            "               stops the operation before the adapter is touched\n"
            "  --partial-hex  (image, hex2bin, qpf save, program) take what an Intel HEX\n"
            "               file converts to even when the conversion stopped before its\n"
            "               last data record or found none; without it such a file fails\n"
            "  --           ends the options: what follows are file names\n"
            "\n"
            "Messages that the programmer shows in a message box go to standard error as\n"
            "one line, [caption] text. Exit status: 0 success, 1 the operation failed,\n"
            "2 wrong usage. An adapter operation that fails without a message of the\n"
            "programmer's ends with one line, halden: what failed.\n";
}

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
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (command == "update-check") {
        return UpdateCommands(out_, err_).updateCheck(rest);
    }
    if (command == "keil") {
        return KeilCommands(out_, err_).run(rest);
    }
    CliSession session(err_);
    CatalogueCommands catalogue(session, out_, err_);
    if (command == "parts") {
        return catalogue.parts(rest);
    }
    if (command == "options") {
        return catalogue.options(rest);
    }
    ImageCommands images(session, out_, err_);
    if (command == "image") {
        return images.image(rest);
    }
    if (command == "hex2bin") {
        return images.hex2bin(rest);
    }
    if (command == "qpf") {
        return QpfCommands(session, out_, err_).run(rest);
    }
    if (command == "form") {
        return FormCommands(session, out_, err_).form(rest);
    }
    ProgramCommands programs(session, out_, err_, terminal_, verbose);
    if (command == "program") {
        return programs.program(rest);
    }
    if (command == "adapter") {
        return programs.adapter(rest);
    }
    ProductionCommands production(session, out_, err_, terminal_, verbose);
    if (command == "read") {
        return production.read(rest);
    }
    if (command == "verify") {
        return production.verify(rest);
    }
    if (command == "blank-check") {
        return production.blankCheck(rest);
    }
    if (command == "adapters") {
        return production.adapters(rest);
    }
    if (command == "gang") {
        return GangCommand(out_, err_, verbose).run(rest);
    }
    if (command == "firmware") {
        return FirmwareCommands(session, out_, err_, terminal_, verbose).run(rest);
    }
    if (command == "store") {
        return StoreCommands(session, out_, err_, terminal_, verbose).store(rest);
    }
    err_ << "halden: unknown command '" << command << "'. Try 'halden --help'.\n";
    return kUsage;
}

} // namespace halden
