#include "cli/ProductionCommands.h"
#include "cli/BoundLink.h"

#include "adapter/wire/TavroProduct.h"
#include "cli/AdapterContext.h"
#include "cli/CliArguments.h"
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

constexpr const char* kReadUsage =
    "Usage: halden read --part NAME -o OUT.bin [--length N] [--adapter PATH] [--log FILE]\n";
constexpr const char* kVerifyUsage =
    "Usage: halden verify [--part NAME] [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... "
    "[--truncate] [--partial-hex] [--adapter PATH] [--log FILE]\n";
constexpr const char* kBlankUsage =
    "Usage: halden blank-check --part NAME [--adapter PATH] [--log FILE]\n";
constexpr const char* kAdaptersUsage = "Usage: halden adapters [--json]\n";

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

int ProductionCommands::usage(const char* command, const std::string& error, const char* text) {
    err_ << "halden " << command << ": " << error << '\n' << text;
    return HaldenCli::kUsage;
}

int ProductionCommands::read(const std::vector<std::string>& given) {
    std::string error;
    std::vector<std::string> arguments = given;
    const auto options = AdapterOptions::take(arguments, error);
    const auto parsed =
        options ? CliArguments::parse(arguments, {{}, {"--part", "-o", "--length"}}, error)
                : std::nullopt;
    if (parsed && !parsed->positional().empty()) {
        error = "unexpected argument " + parsed->positional().front();
    } else if (parsed && !parsed->option("--part")) {
        error = "--part NAME is required";
    } else if (parsed && !parsed->option("-o")) {
        error = "-o OUT.bin is required";
    }
    if (!error.empty()) {
        return usage("read", error, kReadUsage);
    }
    if (!session_.selectPart(*parsed->option("--part"), err_)) {
        return HaldenCli::kUsage;
    }
    const PartRecord& record = session_.part().record();
    std::uint32_t length = record.flashSize;
    if (const auto asked = parsed->option("--length")) {
        const auto number = parseLength(*asked);
        if (!number || *number == 0 || *number > record.flashSize) {
            return usage("read",
                         "--length takes 1 to the flash size (" + std::to_string(record.flashSize) +
                             " bytes), not " + *asked,
                         kReadUsage);
        }
        length = *number;
    }
    const std::string output = *parsed->option("-o");
    AdapterContext context(session_, err_, terminal_, verbose_, *options, "read");
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    context.tracePart(record);
    ReadTarget reader(context.link(), session_.part(), context.ui(), context.messages(),
                      context.progress(), session_.core().busy());
    ProductionCheck check(reader, context.messages());
    auto outcome = check.read(length);
    if (outcome.ok) {
        context.trace().image = TraceRecord::imageOf({output}, check.data());
        // The file is written whole or not at all.
        if (const std::string problem = AtomicFile::write(output, check.data()); !problem.empty()) {
            context.messageService().show(
                u"Cannot write " + Unicode::toUtf16(output) + u": " + Unicode::toUtf16(problem),
                session_.text().text(1101), {MessageButtons::Ok, MessageIcon::Error});
            outcome.ok = false;
        } else {
            check.reportSaved();
        }
    }
    return context.finish(outcome.ok);
}

int ProductionCommands::verify(const std::vector<std::string>& given) {
    std::string error;
    std::vector<std::string> arguments = given;
    const auto options = AdapterOptions::take(arguments, error);
    const auto args = options ? CliImage::parseArguments(arguments, error) : std::nullopt;
    if (args) {
        error = CliImage::missingFileOrPart(*args);
    }
    if (!error.empty()) {
        return usage("verify", error, kVerifyUsage);
    }
    CliImage image(session_, err_);
    if (const int built = image.build(args->part.empty() ? "RQD-1" : args->part, *args);
        built != HaldenCli::kSuccess) {
        return built;
    }
    AdapterContext context(session_, err_, terminal_, verbose_, *options, "verify");
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    const std::vector<std::uint8_t> code = image.bytes();
    context.trace().image = TraceRecord::imageOf(CliImage::fileNames(*args), code);
    context.tracePart(session_.part().record());
    ReadTarget reader(context.link(), session_.part(), context.ui(), context.messages(),
                      context.progress(), session_.core().busy());
    ProductionCheck check(reader, context.messages());
    return context.finish(check.verify(code).ok);
}

int ProductionCommands::blankCheck(const std::vector<std::string>& given) {
    std::string error;
    std::vector<std::string> arguments = given;
    const auto options = AdapterOptions::take(arguments, error);
    const auto parsed =
        options ? CliArguments::parse(arguments, {{}, {"--part"}}, error) : std::nullopt;
    if (parsed && !parsed->positional().empty()) {
        error = "unexpected argument " + parsed->positional().front();
    } else if (parsed && !parsed->option("--part")) {
        error = "--part NAME is required";
    }
    if (!error.empty()) {
        return usage("blank-check", error, kBlankUsage);
    }
    if (!session_.selectPart(*parsed->option("--part"), err_)) {
        return HaldenCli::kUsage;
    }
    AdapterContext context(session_, err_, terminal_, verbose_, *options, "blank-check");
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    const PartRecord& record = session_.part().record();
    context.tracePart(record);
    ReadTarget reader(context.link(), session_.part(), context.ui(), context.messages(),
                      context.progress(), session_.core().busy());
    ProductionCheck check(reader, context.messages());
    return context.finish(check.blankCheck(record.flashSize).ok);
}

int ProductionCommands::adapters(const std::vector<std::string>& arguments) {
    const bool json = arguments.size() == 1 && arguments[0] == "--json";
    if (!arguments.empty() && !json) {
        err_ << kAdaptersUsage;
        return HaldenCli::kUsage;
    }
    const auto bound = BoundLink::load(err_);
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
            out_ << device.path << "  " << modeOf(device.productId) << "  firmware "
                 << (firmware.empty() ? "?" : firmware) << " (" << match << ")";
            if (!device.serialNumber.empty()) {
                out_ << "  serial " << device.serialNumber;
            }
            out_ << '\n';
        }
    }
    writer.endArray();
    if (json) {
        out_ << writer.text() << '\n';
    }
    if (devices.empty()) {
        err_ << "halden: no Tavro adapter is attached\n";
        return HaldenCli::kFailed;
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
