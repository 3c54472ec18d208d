#include "cli/ProgramCommands.h"
#include "cli/BoundLink.h"

#include "adapter/AdapterLink.h"
#include "adapter/LinkLibraryFile.h"
#include "adapter/LinkLibraryLoader.h"
#include "cli/AdapterContext.h"
#include "cli/CliImage.h"
#include "cli/CliSession.h"
#include "cli/ConsoleAdapterUi.h"
#include "cli/ConsoleProgress.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "cli/LinkReport.h"
#include "common/SystemError.h"
#include "programmer/programming/AdapterDetection.h"
#include "programmer/programming/UpdateTarget.h"
#include "programmer/text/TextMessage.h"

#include <filesystem>

namespace halden {

namespace {

constexpr const char* kProgramUsage =
    "Usage: halden program [--part NAME] [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... "
    "[--truncate] [--partial-hex] [--adapter PATH] [--log FILE]\n";

} // namespace

int ProgramCommands::program(const std::vector<std::string>& given) {
    std::string error;
    std::vector<std::string> arguments = given;
    const auto options = AdapterOptions::take(arguments, error);
    const auto args = options ? CliImage::parseArguments(arguments, error) : std::nullopt;
    if (args) {
        error = CliImage::missingFileOrPart(*args);
    }
    if (!error.empty()) {
        err_ << "halden program: " << error << '\n' << kProgramUsage;
        return HaldenCli::kUsage;
    }
    AdapterContext context(session_, err_, terminal_, verbose_, *options, "program");
    // Without --part the project file names the part; any part serves until it is read.
    CliImage image(session_, err_);
    if (const int built = image.build(args->part.empty() ? "RQD-1" : args->part, *args);
        built != HaldenCli::kSuccess) {
        return built;
    }
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    const std::vector<std::uint8_t> code = image.bytes();
    context.trace().image = TraceRecord::imageOf(CliImage::fileNames(*args), code);
    UpdateTarget update(
        context.link(), session_.part(), [&code] { return code; }, context.ui(), context.messages(),
        context.progress(), session_.core().busy());
    const auto result = update.run();
    context.progress().progress(-1);
    context.tracePart(session_.part().record());
    return context.finish(result == UpdateTarget::Result::Ok);
}

int ProgramCommands::adapter(const std::vector<std::string>& given) {
    std::string error;
    std::vector<std::string> arguments = given;
    const auto options = AdapterOptions::take(arguments, error);
    const bool json = arguments.size() == 1 && arguments[0] == "--json";
    if (!options || (!arguments.empty() && !json)) {
        err_ << "Usage: halden adapter [--json] [--adapter PATH]\n";
        return HaldenCli::kUsage;
    }
    options->chooseAdapter();
    const auto bound = BoundLink::load(err_);
    if (!bound) {
        return HaldenCli::kFailed;
    }
    AdapterLink& link = bound->link();
    LinkReport report(session_.messages(), err_, verbose_);
    report.attach(link);
    // The start-up probe's order: an adapter that needs new firmware first.
    std::string mode = "none";
    bool checked = false;
    int mismatch = 0;
    if (link.openRecovery() == 0) {
        mode = "needs-firmware";
    } else {
        // No adapter needing firmware is the usual case, not a failure worth telling.
        link.clearFailure();
        if (link.openProgrammer() == 0) {
            mode = "programmer";
            checked = link.checkFirmware(mismatch) == 0;
        }
    }
    const bool offline = checked && link.offlineCapable();
    link.close();
    const char* firmware = !checked ? "unknown" : mismatch != 0 ? "mismatch" : "match";
    if (json) {
        JsonWriter writer;
        writer.beginObject()
            .key("mode")
            .value(mode)
            .key("firmware")
            .value(firmware)
            .key("offlineCapable")
            .value(offline)
            .endObject();
        out_ << writer.text() << '\n';
    } else {
        out_ << "adapter: " << mode << "\nfirmware: " << firmware
             << "\noff-line capable: " << (offline ? "yes" : "no") << '\n';
    }
    if (mode == "none") {
        report.failed(link);
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
