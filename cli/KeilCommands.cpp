#include "cli/KeilCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/ConsoleDesktopOpener.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "common/SystemError.h"
#include "packsetup/KeilDriverSetup.h"
#include "packsetup/KeilFolderSearch.h"

#include <filesystem>

namespace halden {

namespace {

std::string programFolder() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
}

// Why Install or Uninstall stopped before it touched TOOLS.INI.
std::string stopReason(const KeilDriverSetup::Outcome& outcome, const std::string& folder) {
    switch (outcome.error) {
    case SystemError::kDirectory:
        return "no Keil MDK folder given";
    case SystemError::kPathNotFound:
        return "there is no folder " + folder;
    case SystemError::kFileNotFound:
        return "there is no TOOLS.INI in " + folder;
    case SystemError::kFileTooLarge:
        return outcome.toolsIni + " is too large: this system reads a TOOLS.INI of at most " +
               std::to_string(ProfileIni::kMaxFileSize) + " bytes (16 MiB)";
    case SystemError::kNotFound:
        return outcome.toolsIni + " has no [ARMADS] section";
    default:
        return outcome.toolsIni + ": " + SystemError::text(outcome.error);
    }
}

void printJson(std::ostream& out, const std::string& action,
               const KeilDriverSetup::Outcome& outcome) {
    JsonWriter json;
    json.beginObject()
        .key("action")
        .value(action)
        .key("toolsIni")
        .valueOrNull(outcome.toolsIni)
        .key("driverKey")
        .valueOrNull(outcome.driverKey)
        .key("cpuListKey")
        .valueOrNull(outcome.cpuListKey)
        .key("driverPath")
        .valueOrNull(outcome.driverPath);
    json.key("driverCopied")
        .value(outcome.driverCopied)
        .key("driverDeleted")
        .value(outcome.driverDeleted)
        .key("pack")
        .valueOrNull(outcome.pack)
        .key("note")
        .valueOrNull(outcome.note)
        .endObject();
    out << json.text() << '\n';
}

void printText(std::ostream& out, const std::string& action,
               const KeilDriverSetup::Outcome& outcome) {
    out << "TOOLS.INI: " << outcome.toolsIni << '\n';
    out << "driver key: " << (outcome.driverKey.empty() ? "none" : outcome.driverKey) << '\n';
    out << "CPU list: " << (outcome.cpuListKey.empty() ? "unchanged" : outcome.cpuListKey) << '\n';
    const bool done = action == "install" ? outcome.driverCopied : outcome.driverDeleted;
    out << "driver: " << (outcome.driverPath.empty() ? "no Keil folder" : outcome.driverPath)
        << (done ? (action == "install" ? " (copied)" : " (deleted)")
                 : (action == "install" ? " (not copied)" : " (not deleted)"))
        << '\n';
    if (action == "install") {
        out << "pack: " << (outcome.pack.empty() ? "none beside the program" : outcome.pack)
            << '\n';
    }
}

} // namespace

int KeilCommands::change(const std::string& action, const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliArguments::parse(arguments, {{"--json"}, {}}, error);
    if (!args || args->positional().size() != 1) {
        return context_.usageError("keil " + action, args ? "takes one Keil MDK folder" : error);
    }
    const std::string& folder = args->positional().front();
    // The pack installer is Keil's, under Wine: the command names the pack rather than
    // starting it.
    ConsoleDesktopOpener opener(context_.err);
    KeilDriverSetup setup(programFolder(), opener);
    const auto outcome = action == "install" ? setup.Install(folder) : setup.Uninstall(folder);
    if (outcome.error != 0) {
        context_.err << "halden keil " << action << ": " << stopReason(outcome, folder) << '\n';
        return HaldenCli::kFailed;
    }
    if (args->flag("--json")) {
        printJson(context_.out, action, outcome);
    } else {
        printText(context_.out, action, outcome);
    }
    if (!outcome.note.empty()) {
        context_.err << "halden: " << outcome.note << '\n';
    }
    // Install fails only when no key could take the driver.
    const bool failed = action == "install" && outcome.driverKey.empty();
    return failed ? HaldenCli::kFailed : HaldenCli::kSuccess;
}

int KeilCommands::find(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliArguments::parse(arguments, {{"--json"}, {}}, error);
    if (!args || !args->positional().empty()) {
        return context_.usageError("keil find", args ? "takes no arguments" : error);
    }
    const auto found = KeilFolderSearch::find(KeilFolderSearch::userPrefixes());
    if (args->flag("--json")) {
        JsonWriter json;
        json.beginArray();
        for (const auto& folder : found) {
            json.beginObject()
                .key("folder")
                .value(folder.folder.string())
                .key("toolsIni")
                .value(folder.toolsIni.string())
                .key("prefix")
                .value(folder.prefix.string())
                .endObject();
        }
        context_.out << json.endArray().text() << '\n';
    } else {
        for (const auto& folder : found) {
            context_.out << folder.folder.string() << '\n';
        }
    }
    if (found.empty()) {
        context_.err
            << "halden keil find: no Keil MDK folder with a TOOLS.INI in the Wine prefixes\n";
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
