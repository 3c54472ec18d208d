#include "cli/ProgramCommands.h"
#include "cli/BoundLink.h"

#include "adapter/AdapterLink.h"
#include "adapter/LinkLibraryFile.h"
#include "adapter/LinkLibraryLoader.h"
#include "cli/AdapterArguments.h"
#include "cli/AdapterContext.h"
#include "cli/CliContext.h"
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

int ProgramCommands::program(const std::vector<std::string>& given) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = AdapterArguments::parseImage(given, CliImage::spec(), error);
    if (!args) {
        return context_.usageError("program", error);
    }
    AdapterContext context(context_, args->adapter, "program");
    // Without --part the project file names the part; any part serves until it is read.
    CliImage image(session, context_.err);
    if (const int built =
            image.build(args->image.part.empty() ? "RQD-1" : args->image.part, args->image);
        built != HaldenCli::kSuccess) {
        return built;
    }
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    const std::vector<std::uint8_t> code = image.bytes();
    context.trace().image = TraceRecord::imageOf(CliImage::fileNames(args->image), code);
    UpdateTarget update(
        context.link(), session.part(), [&code] { return code; }, context.ui(), context.messages(),
        context.progress(), session.core().busy());
    const auto result = update.run();
    context.progress().progress(-1);
    context.tracePart(session.part().record());
    return context.finish(result == UpdateTarget::Result::Ok);
}

int ProgramCommands::adapter(const std::vector<std::string>& given) {
    std::string error;
    const auto args = AdapterArguments::parse(given, {{"--json"}, {}}, error);
    if (args) {
        error = args->unexpectedOrMissing();
    }
    if (!error.empty()) {
        return context_.usageError("adapter", error);
    }
    const bool json = args->parsed.flag("--json");
    args->adapter.chooseAdapter();
    const auto bound = BoundLink::load(context_.err);
    if (!bound) {
        return HaldenCli::kFailed;
    }
    AdapterLink& link = bound->link();
    LinkReport report(context_.session().messages(), context_.err, context_.verbose);
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
        context_.out << writer.text() << '\n';
    } else {
        context_.out << "adapter: " << mode << "\nfirmware: " << firmware
                     << "\noff-line capable: " << (offline ? "yes" : "no") << '\n';
    }
    if (mode == "none") {
        report.failed(link);
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
