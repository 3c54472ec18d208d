#include "cli/FirmwareCommands.h"
#include "cli/BoundLink.h"

#include "adapter/AdapterDirectory.h"
#include "adapter/AdapterLink.h"
#include "adapter/AdapterWatch.h"
#include "adapter/FirmwareImage.h"
#include "adapter/FirmwareUpgradeSession.h"
#include "adapter/LinkLibrary.h"
#include "adapter/wire/LinkResult.h"
#include "adapter/wire/TavroProduct.h"
#include "cli/AdapterOptions.h"
#include "cli/CallQueue.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/ConsoleProgress.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "cli/LinkReport.h"
#include "programmer/programming/TracedOperation.h"
#include "programmer/text/TextMessage.h"

#include <optional>

namespace halden {

namespace {

std::string versionText(std::optional<std::uint16_t> version) {
    return version ? std::to_string(*version >> 8) + "." + std::to_string(*version & 0xFF)
                   : std::string("none");
}

const char* resultName(FirmwareUpgradeSession::Result result) {
    switch (result) {
    case FirmwareUpgradeSession::Result::ResetFailed:
        return "reset-failed";
    case FirmwareUpgradeSession::Result::CloseFailed:
        return "close-failed";
    case FirmwareUpgradeSession::Result::Done:
        break;
    }
    return "upgraded";
}

} // namespace

int FirmwareCommands::run(const std::vector<std::string>& given, bool upgrading) {
    std::vector<std::string> arguments = given;
    std::string error;
    const auto options = AdapterOptions::take(arguments, error);
    const char* command = upgrading ? "firmware upgrade" : "firmware";
    if (!options) {
        return context_.usageError(command, error);
    }
    options->chooseAdapter();
    bool json = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--json") {
            json = true;
        } else {
            return context_.usageError(command, "unexpected argument '" + arguments[i] + "'");
        }
    }
    if (!upgrading && !options->logPath.empty()) {
        return context_.usageError(command, "--log goes with firmware upgrade");
    }
    return upgrading ? upgrade(json, options->logPath) : show(json);
}

std::string FirmwareCommands::carriedVersion(const LinkLibrary& library) const {
    const auto image = FirmwareImage::fromLinkLibrary(library.path());
    return image ? versionText(image->version()) : "none";
}

// The modes in the start-up probe's order, then the boot loader; the firmware is
// compared only in programmer mode.
FirmwareCommands::Found FirmwareCommands::find(AdapterLink& link) {
    Found found;
    const struct {
        std::uint16_t product;
        const char* mode;
    } modes[] = {{PRODUCT_RECOVERY, "recovery"},
                 {PRODUCT_NEEDS_FIRMWARE, "needs-firmware"},
                 {PRODUCT_PROGRAMMER, "programmer"},
                 {PRODUCT_BOOT_LOADER, "boot-loader"}};
    for (const auto& mode : modes) {
        const int opened = mode.product == PRODUCT_PROGRAMMER ? link.openProgrammer()
                                                              : link.openProduct(mode.product);
        if (opened == 0) {
            found.mode = mode.mode;
            break;
        }
    }
    if (found.mode == "programmer") {
        int mismatch = 0;
        if (link.checkFirmware(mismatch) == 0) {
            found.firmware = mismatch != 0 ? "mismatch" : "match";
        }
    } else if (found.mode != "none") {
        found.firmware = "mismatch"; // a mode that needs new firmware
        found.forced = true;
    }
    if (found.mode != "none") {
        // Not finding the adapter under the modes it does not show is no failure.
        link.clearFailure();
    }
    return found;
}

int FirmwareCommands::show(bool json) {
    const auto bound = BoundLink::load(context_.err);
    if (!bound) {
        return HaldenCli::kFailed;
    }
    LinkLibrary& library = bound->library();
    AdapterLink& link = bound->link();
    LinkReport report(context_.session().messages(), context_.err, context_.verbose);
    report.attach(link);
    const Found found = find(link);
    link.close();
    const std::string carried = carriedVersion(library);
    if (json) {
        JsonWriter writer;
        writer.beginObject()
            .key("mode")
            .value(found.mode)
            .key("firmware")
            .value(found.firmware)
            .key("carriedVersion")
            .value(carried)
            .endObject();
        context_.out << writer.text() << '\n';
    } else {
        context_.out << "adapter: " << found.mode << "\nfirmware: " << found.firmware
                     << "\ncarried version: " << carried << '\n';
    }
    if (found.mode == "none") {
        noAdapter(link, report);
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

void FirmwareCommands::noAdapter(const AdapterLink& link, LinkReport& report) {
    const auto& failure = link.firstFailure();
    if (failure && failure->result == LINK_IN_USE) {
        report.failed(link);
        return;
    }
    context_.err
        << "halden: no adapter found in programmer mode, in a mode that needs new firmware "
           "or in its boot loader\n";
}

int FirmwareCommands::upgrade(bool json, const std::string& logPath) {
    LinkReport report(context_.session().messages(), context_.err, context_.verbose);
    // The trace log is opened before the adapter is touched; the messages wait for its line.
    TracedOperation traced("firmware upgrade", report);
    if (const std::string why = traced.open(logPath); !why.empty()) {
        context_.err << "halden firmware upgrade: cannot open the trace log " << logPath << ": "
                     << why << '\n';
        return HaldenCli::kFailed;
    }
    const auto bound = BoundLink::load(context_.err);
    if (!bound) {
        return HaldenCli::kFailed;
    }
    LinkLibrary& library = bound->library();
    AdapterLink& link = bound->link();
    const AdapterDirectory& directory = bound->directory();
    CallQueue queue;
    // Records come from the worker's thread too; they are printed and traced on this one.
    link.setRecordSink([this, &queue, &traced, &directory](const LinkRecord& record) {
        queue.post([this, &traced, &directory, record] {
            traced.note(record, &directory);
            if (context_.verbose) {
                context_.err << "halden: link: " << record.text() << '\n';
            }
        });
    });
    auto image = FirmwareImage::fromLinkLibrary(library.path());
    if (!image) {
        context_.err << "halden: the link library " << library.path()
                     << " carries no firmware image\n";
        return HaldenCli::kFailed;
    }
    const Found found = find(link);
    if (found.mode == "none") {
        queue.runPending();
        traced.record().message = "no adapter found";
        traced.finish(false, &link);
        noAdapter(link, report);
        return HaldenCli::kFailed;
    }

    const TextMessage messages(traced.messages(), context_.session().text());
    ConsoleProgress progress(context_.err, context_.terminal);
    std::optional<FirmwareUpgradeSession::Result> result;
    std::optional<FirmwareUpgradeSession::Step> stoppedAt;
    std::string why;
    FirmwareUpgradeSession::Handlers handlers;
    handlers.progress = [&progress](int percent) { progress.progress(percent); };
    handlers.result = [&](FirmwareUpgradeSession::Result outcome) {
        const auto shown = FirmwareUpgradeSession::resultText(outcome);
        messages.ShowTextMessage(shown.captionId, shown.textId, shown.style);
        result = outcome;
    };
    handlers.stopped = [&](FirmwareUpgradeSession::Step step, const std::string& text) {
        stoppedAt = step;
        why = text;
    };
    {
        FirmwareUpgradeSession upgrading(
            link, UpgradeEvent::kProgrammerName,
            [&queue](std::function<void()> call) { queue.post(std::move(call)); });
        upgrading.follow(AdapterWatch::forLibrary(library));
        upgrading.start(std::move(*image),
                        found.forced ? FirmwareUpgradeWorker::outputReportSwitch()
                                     : FirmwareUpgradeWorker::commandSwitch(),
                        std::move(handlers));
        queue.runUntil([&] { return !upgrading.running(); });
    }
    progress.progress(-1);
    queue.runPending();
    const bool ok = result == FirmwareUpgradeSession::Result::Done;
    std::string stopped;
    if (stoppedAt) {
        stopped = "the firmware upgrade stopped at the " +
                  std::string(FirmwareUpgradeWorker::stepName(*stoppedAt)) +
                  (why.empty() ? "" : ": ") + why;
        traced.record().message = stopped;
    }
    if (const std::string problem = traced.finish(ok, &link); !problem.empty()) {
        context_.err << "halden firmware upgrade: cannot write the trace log " << logPath << ": "
                     << problem << '\n';
        return HaldenCli::kFailed;
    }
    if (stoppedAt) {
        context_.err << "halden: " << stopped << '\n';
    } else if (!ok) {
        context_.err << "halden: " << traced.record().detail << '\n';
    }
    if (json) {
        JsonWriter writer;
        writer.beginObject()
            .key("mode")
            .value(found.mode)
            .key("forced")
            .value(found.forced)
            .key("result")
            .value(result ? resultName(*result) : "stopped")
            .key("step")
            .value(stoppedAt ? FirmwareUpgradeWorker::stepName(*stoppedAt) : "")
            .key("carriedVersion")
            .value(carriedVersion(library))
            .endObject();
        context_.out << writer.text() << '\n';
    }
    return ok ? HaldenCli::kSuccess : HaldenCli::kFailed;
}

} // namespace halden
