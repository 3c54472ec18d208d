#include "cli/UpdateCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/ConsoleDesktopOpener.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "common/ConsoleMessageService.h"
#include "common/qt/QtSettingsStore.h"
#include "programmer/update/ProductVersion.h"
#include "programmer/update/UpdateCheck.h"
#include "programmer/update/qt/QtWebDownloader.h"

#include <QCoreApplication>

#include <memory>
#include <optional>

namespace halden {

namespace {

std::optional<MessageAnswer> answerNamed(const std::string& name) {
    if (name == "yes") {
        return MessageAnswer::Yes;
    }
    if (name == "no") {
        return MessageAnswer::No;
    }
    if (name == "cancel") {
        return MessageAnswer::Cancel;
    }
    return std::nullopt;
}

const char* nameOf(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Yes:
        return "yes";
    case MessageAnswer::No:
        return "no";
    case MessageAnswer::Cancel:
        return "cancel";
    default:
        return "ok";
    }
}

// Qt Network needs an application object; halden makes one only for this command.
std::unique_ptr<QCoreApplication> applicationObject() {
    if (QCoreApplication::instance() != nullptr) {
        return nullptr;
    }
    static int argc = 1;
    static char name[] = "halden";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

void printJson(std::ostream& out, UpdateCheck::Mode mode, const std::string& address,
               const UpdateCheck::Outcome& outcome, int checkVersion) {
    JsonWriter json;
    json.beginObject()
        .key("mode")
        .value(mode == UpdateCheck::Mode::Startup ? "startup" : "menu")
        .key("url")
        .value(address)
        .key("result")
        .value(std::int64_t{outcome.result})
        .key("failure")
        .value(outcome.failure)
        .key("ownVersion")
        .value(outcome.own ? outcome.own->text() : "")
        .key("remoteVersion")
        .value(outcome.remote ? outcome.remote->text() : "")
        .key("updateAvailable")
        .value(outcome.answer.has_value())
        .key("answer")
        .value(outcome.answer ? nameOf(*outcome.answer) : "")
        .key("open")
        .value(outcome.opened.value_or(""))
        .key("checkVersion")
        .value(std::int64_t{checkVersion})
        .endObject();
    out << json.text() << '\n';
}

} // namespace

int UpdateCommands::updateCheck(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args =
        CliArguments::parse(arguments, {{"--startup", "--json"}, {"--url", "--answer"}}, error);
    if (!args || !args->positional().empty()) {
        return context_.usageError("update-check", args ? "takes no file arguments" : error);
    }
    std::optional<MessageAnswer> answer;
    if (const auto name = args->option("--answer")) {
        answer = answerNamed(*name);
        if (!answer) {
            return context_.usageError("update-check", "--answer takes yes, no or cancel");
        }
    }
    const auto mode =
        args->flag("--startup") ? UpdateCheck::Mode::Startup : UpdateCheck::Mode::Menu;

    const auto application = applicationObject();
    // Without --answer, the box's default button; the menu's Yes/No box has no Cancel, so
    // "cancel" leaves it as No would.
    ConsoleMessageService messages(context_.err);
    if (answer) {
        const bool noCancel = mode == UpdateCheck::Mode::Menu && *answer == MessageAnswer::Cancel;
        messages.setAnswer(UpdateCheck::kOfferTextId, noCancel ? MessageAnswer::No : *answer);
    }
    QtSettingsStore settings("Halden_Programmer");
    QtWebDownloader downloader;
    ConsoleDesktopOpener opener(context_.err);
    UpdateCheck check({downloader, messages, settings, opener}, ProductVersion::number());
    if (const auto url = args->option("--url")) {
        check.setServer(*url);
    }
    const auto outcome = check.run(mode);
    if (mode == UpdateCheck::Mode::Menu) {
        // As the "Check update" entry does after its check.
        settings.writeInt("Settings", "CheckVersion", 1);
    }
    if (outcome.refused) {
        context_.err << "halden: the version file's URL \"" << *outcome.refused
                     << "\" is no web address; nothing was opened\n";
    }
    if (args->flag("--json")) {
        printJson(context_.out, mode, check.address(), outcome,
                  settings.readInt("Settings", "CheckVersion", 2));
    }
    if (!outcome.failure.empty()) {
        context_.err << "halden: update check failed: " << outcome.failure << '\n';
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
