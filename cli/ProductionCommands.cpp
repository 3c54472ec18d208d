#include "cli/ProductionCommands.h"
#include "cli/BoundLink.h"

#include "adapter/wire/TavroProduct.h"
#include "cli/AdapterArguments.h"
#include "cli/AdapterContext.h"
#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CliImage.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "common/AtomicFile.h"
#include "common/Unicode.h"
#include "programmer/programming/ProductionCheck.h"

#include <charconv>
#include <optional>

namespace halden {

namespace {

// Decimal, or hexadecimal after 0x.
std::optional<std::uint32_t> parseLength(const std::string& text) {
    const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (first == last || error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

const char* modeOf(std::uint16_t productId) {
    switch (productId) {
    case PRODUCT_PROGRAMMER:
        return "programmer";
    case PRODUCT_NEEDS_FIRMWARE:
    case PRODUCT_RECOVERY:
        return "needs-firmware";
    case PRODUCT_BOOT_LOADER:
        return "boot-loader";
    default:
        return "unknown";
    }
}

} // namespace

int ProductionCommands::read(const std::vector<std::string>& given) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = AdapterArguments::parse(given, {{}, {"--part", "-o", "--length"}}, error);
    if (args) {
        error = args->unexpectedOrMissing({{"--part", "NAME"}, {"-o", "OUT.bin"}});
    }
    if (!error.empty()) {
        return context_.usageError("read", error);
    }
    const CliArguments& parsed = args->parsed;
    if (!session.selectPart(*parsed.option("--part"), context_.err)) {
        return HaldenCli::kUsage;
    }
    const PartRecord& record = session.part().record();
    std::uint32_t length = record.flashSize;
    if (const auto asked = parsed.option("--length")) {
        const auto number = parseLength(*asked);
        if (!number || *number == 0 || *number > record.flashSize) {
            return context_.usageError("read", "--length takes 1 to the flash size (" +
                                                   std::to_string(record.flashSize) +
                                                   " bytes), not " + *asked);
        }
        length = *number;
    }
    const std::string output = *parsed.option("-o");
    AdapterContext context(context_, args->adapter, "read");
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    context.tracePart(record);
    ReadTarget reader(context.link(), session.part(), context.ui(), context.messages(),
                      context.progress(), session.core().busy());
    ProductionCheck check(reader, context.messages());
    auto outcome = check.read(length);
    if (outcome.ok) {
        context.trace().image = TraceRecord::imageOf({output}, check.data());
        // The file is written whole or not at all.
        if (const std::string problem = AtomicFile::write(output, check.data()); !problem.empty()) {
            context.messageService().show(
                u"Cannot write " + Unicode::toUtf16(output) + u": " + Unicode::toUtf16(problem),
                session.text().text(1101), {MessageButtons::Ok, MessageIcon::Error});
            outcome.ok = false;
        } else {
            check.reportSaved();
        }
    }
    return context.finish(outcome.ok);
}

int ProductionCommands::verify(const std::vector<std::string>& given) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = AdapterArguments::parseImage(given, CliImage::spec(), error);
    if (!args) {
        return context_.usageError("verify", error);
    }
    CliImage image(session, context_.err);
    if (const int built =
            image.build(args->image.part.empty() ? "RQD-1" : args->image.part, args->image);
        built != HaldenCli::kSuccess) {
        return built;
    }
    AdapterContext context(context_, args->adapter, "verify");
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    const std::vector<std::uint8_t> code = image.bytes();
    context.trace().image = TraceRecord::imageOf(CliImage::fileNames(args->image), code);
    context.tracePart(session.part().record());
    ReadTarget reader(context.link(), session.part(), context.ui(), context.messages(),
                      context.progress(), session.core().busy());
    ProductionCheck check(reader, context.messages());
    return context.finish(check.verify(code).ok);
}

int ProductionCommands::blankCheck(const std::vector<std::string>& given) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = AdapterArguments::parse(given, {{}, {"--part"}}, error);
    if (args) {
        error = args->unexpectedOrMissing({{"--part", "NAME"}});
    }
    if (!error.empty()) {
        return context_.usageError("blank-check", error);
    }
    const CliArguments& parsed = args->parsed;
    if (!session.selectPart(*parsed.option("--part"), context_.err)) {
        return HaldenCli::kUsage;
    }
    AdapterContext context(context_, args->adapter, "blank-check");
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    const PartRecord& record = session.part().record();
    context.tracePart(record);
    ReadTarget reader(context.link(), session.part(), context.ui(), context.messages(),
                      context.progress(), session.core().busy());
    ProductionCheck check(reader, context.messages());
    return context.finish(check.blankCheck(record.flashSize).ok);
}

int ProductionCommands::adapters(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliArguments::parse(arguments, {{"--json"}, {}}, error);
    if (args && !args->positional().empty()) {
        error = "unexpected argument " + args->positional().front();
    }
    if (!error.empty()) {
        return context_.usageError("adapters", error);
    }
    const bool json = args->flag("--json");
    const auto bound = BoundLink::load(context_.err);
    if (!bound) {
        return HaldenCli::kFailed;
    }
    AdapterLink& link = bound->link();
    const AdapterDirectory& directory = bound->directory();
    JsonWriter writer;
    writer.beginArray();
    const auto devices = directory.devices();
    for (const auto& device : devices) {
        // The firmware is asked of adapters in programmer mode, each opened by its path.
        std::string firmware;
        std::string match = "unknown";
        if (device.productId == PRODUCT_PROGRAMMER) {
            AdapterOptions{device.path, {}}.chooseAdapter();
            int mismatch = 0;
            if (link.openProgrammer() != 0) {
                match = "in use";
            } else if (link.checkFirmware(mismatch) == 0) {
                firmware = directory.firmwareVersion().value_or("");
                match = mismatch != 0 ? "mismatch" : "match";
            }
            link.close();
        }
        AdapterOptions{}.chooseAdapter();
        if (json) {
            writer.beginObject()
                .key("path")
                .value(device.path)
                .key("mode")
                .value(modeOf(device.productId));
            writer.key("firmware").valueOrNull(firmware).key("firmwareCheck").value(match);
            writer.key("serialNumber").valueOrNull(device.serialNumber).endObject();
        } else {
            context_.out << device.path << "  " << modeOf(device.productId) << "  firmware "
                         << (firmware.empty() ? "?" : firmware) << " (" << match << ")";
            if (!device.serialNumber.empty()) {
                context_.out << "  serial " << device.serialNumber;
            }
            context_.out << '\n';
        }
    }
    writer.endArray();
    if (json) {
        context_.out << writer.text() << '\n';
    }
    if (devices.empty()) {
        context_.err << "halden: no Tavro adapter is attached\n";
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
