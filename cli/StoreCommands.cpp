#include "cli/StoreCommands.h"

#include "adapter/AdapterLink.h"
#include "adapter/LinkLibrary.h"
#include "cli/AdapterArguments.h"
#include "cli/AdapterContext.h"
#include "cli/AdapterOptions.h"
#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CliImage.h"
#include "cli/CliSession.h"
#include "cli/ConsoleAdapterUi.h"
#include "cli/ConsoleProgress.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "cli/LinkReport.h"
#include "cli/ProgramCommands.h"
#include "common/ByteOrder.h"
#include "common/Unicode.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/programming/OfflineProjectHeader.h"
#include "programmer/programming/OfflineSettingsEditor.h"
#include "programmer/programming/UpdateProgrammer.h"
#include "programmer/text/TextMessage.h"

#include <optional>

namespace halden {

namespace {

// The off-line options as the command line gives them; each one not given keeps its
// reset value.
struct OfflineOptions {
    std::optional<std::string> maxCounter;
    std::optional<std::u16string> serialString;
    std::optional<std::string> serialNumber;
    std::optional<std::string> serialAddress;
    bool serial = false;
    bool autoIncrement = false;
};

// Up to 8 hex digits, "0x" allowed before them; what the edits would hold, without it.
std::optional<std::string> hexDigits(std::string text) {
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) {
        text.erase(0, 2);
    }
    if (text.empty() || text.size() > OfflineSettings::kHexDigits ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return std::nullopt;
    }
    return text;
}

// The off-line options from the command line; what is wrong with them, or empty. What
// the dialog's edits would silently cut (a longer serial string, a ninth digit) is refused.
std::string readOfflineOptions(const CliArguments& parsed, OfflineOptions& options) {
    options.serial = parsed.flag("--serial");
    options.autoIncrement = parsed.flag("--auto-increment");
    options.maxCounter = parsed.option("--max-counter");
    if (options.maxCounter &&
        (options.maxCounter->empty() ||
         options.maxCounter->find_first_not_of("0123456789") != std::string::npos)) {
        return "--max-counter takes a decimal number";
    }
    if (const auto text = parsed.option("--serial-string")) {
        options.serialString = Unicode::toUtf16(*text);
        // One byte for each character in the ANSI code page.
        if (options.serialString->size() > OfflineSettings::kSerialStringSize) {
            return "--serial-string takes up to " +
                   std::to_string(OfflineSettings::kSerialStringSize) + " bytes, not " +
                   std::to_string(options.serialString->size());
        }
    }
    for (const auto& [name, field] : {std::pair{"--serial-number", &options.serialNumber},
                                      std::pair{"--serial-address", &options.serialAddress}}) {
        if (const auto text = parsed.option(name)) {
            *field = hexDigits(*text);
            if (!*field) {
                return std::string(name) + " takes up to " +
                       std::to_string(OfflineSettings::kHexDigits) + " hex digits, not " + *text;
            }
        }
    }
    return {};
}

std::string hex(std::uint32_t value) {
    return "0x" + OfflineSettings::hex8(value);
}

// Applies the options to the settings by the dialog's rules, telling each change.
class CliOfflineEditor : public OfflineSettingsEditor {
public:
    CliOfflineEditor(const OfflineOptions& options, std::ostream& err)
        : options_(options), err_(err) {}

    bool editOfflineSettings(OfflineSettings& settings, std::uint32_t flashSize) override {
        if (options_.maxCounter && settings.setMaxCounter(*options_.maxCounter)) {
            err_ << "halden: warning: max counter " << *options_.maxCounter << " is above "
                 << OfflineSettings::kMaxCounterLimit << "; " << OfflineSettings::kMaxCounterLimit
                 << " is stored\n";
        }
        settings.setSerialEnabled(options_.serial);
        settings.setAutoIncrement(options_.autoIncrement);
        if (options_.serialString) {
            settings.setSerialString(*options_.serialString); // its length is checked
        }
        if (options_.serialNumber) {
            settings.setSerialNumber(*options_.serialNumber);
        }
        if (options_.serialAddress) {
            address(settings, *options_.serialAddress, flashSize);
        }
        return true;
    }

private:
    void address(OfflineSettings& settings, const std::string& digits, std::uint32_t flashSize) {
        const auto edit = settings.setStartAddress(digits, flashSize);
        if (edit.change == OfflineSettings::AddressChange::Clamped) {
            err_ << "halden: warning: start address 0x" << digits << " is above "
                 << hex(OfflineSettings::startAddressLimit(flashSize)) << " (flash size - 16); "
                 << hex(settings.startAddress) << " is stored\n";
        } else if (edit.change == OfflineSettings::AddressChange::Rounded) {
            err_ << "halden: warning: start address 0x" << digits
                 << " is not a multiple of 4; rounded down to " << hex(settings.startAddress)
                 << '\n';
        }
        const std::uint32_t typed = settings.startAddress;
        if (settings.roundStartAddressForOk()) {
            err_ << "halden: warning: start address " << hex(typed)
                 << " is not a multiple of 4; rounded down to " << hex(settings.startAddress)
                 << '\n';
        }
    }

    const OfflineOptions& options_;
    std::ostream& err_;
};

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

// The serial string's bytes as text: up to the zero byte that ends a shorter string,
// each byte as the Latin-1 character it is in the ANSI code page's lower half.
std::string serialText(const std::array<std::uint8_t, OfflineSettings::kSerialStringSize>& bytes) {
    std::u16string text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0) {
            break;
        }
        text += static_cast<char16_t>(byte);
    }
    return Unicode::toUtf8(text);
}

// The off-line settings as the trace log's serial object.
std::vector<TraceRecord::Field> serialFields(const OfflineSettings& settings) {
    const auto quoted = [](const std::string& text) {
        JsonWriter json;
        json.value(text);
        return json.text();
    };
    return {{"enabled", settings.serialEnabled() ? "true" : "false"},
            {"autoIncrement", settings.autoIncrement() ? "true" : "false"},
            {"startAddress", quoted(hex(settings.startAddress))},
            {"serialNumber", quoted(hex(settings.serialNumber))},
            {"serialString", quoted(serialText(settings.serialString))},
            {"maxCounter", std::to_string(settings.maxCounter)}};
}

std::string headerJson(const std::vector<std::uint8_t>& bytes,
                       const std::vector<std::uint8_t>& code) {
    JsonWriter json;
    json.beginObject().key("header").beginObject();
    const auto header = OfflineProjectHeader::parse(bytes);
    if (!header) { // never for a header the adapter took; its bytes then say it all
        json.key("bytes").value(hexBytes(bytes)).endObject().endObject();
        return json.text();
    }
    json.key("checksum").value(std::int64_t{ByteOrder::readLe16(bytes, 0)});
    json.key("length").value(static_cast<std::int64_t>(bytes.size()));
    json.key("version").value(std::int64_t{bytes[4]});
    json.key("partIndex").value(std::int64_t{header->partIndex});
    json.key("chipId").value(hex(header->chipId));
    json.key("codeLength").value(std::int64_t{header->codeLength});
    json.key("codeChecksum").value(std::int64_t{header->codeChecksum});
    const OfflineSettings& settings = header->settings;
    json.key("serialFlags").value(std::int64_t{settings.serialFlags});
    json.key("serialEnabled").value(settings.serialEnabled());
    json.key("autoIncrement").value(settings.autoIncrement());
    json.key("startAddress").value(hex(settings.startAddress));
    json.key("endAddress").value(hex(settings.endAddress()));
    json.key("serialString").value(serialText(settings.serialString));
    json.key("serialStringBytes").value(hexBytes(settings.serialString));
    json.key("serialNumber").value(hex(settings.serialNumber));
    json.key("maxCounter").value(std::int64_t{settings.maxCounter});
    json.key("parameterBytes").beginArray();
    for (const std::uint8_t byte : header->parameterBytes) {
        json.value(std::int64_t{byte});
    }
    json.endArray();
    json.key("optionCount").value(static_cast<std::int64_t>(header->optionBytes.size()));
    json.key("optionBytes").value(hexBytes(header->optionBytes));
    json.key("bytes").value(hexBytes(bytes));
    json.endObject();
    json.key("code").beginObject();
    json.key("size").value(static_cast<std::int64_t>(code.size()));
    json.key("checksum").value(std::int64_t{CodeChecksum::compute(code)});
    json.key("crc32").value(hex(crc32(code)));
    json.endObject().endObject();
    return json.text();
}

} // namespace

int StoreCommands::store(const std::vector<std::string>& given) {
    CliSession& session = context_.session();
    std::string error;
    CliArguments::Spec spec = CliImage::spec();
    spec.flags.insert(spec.flags.end(), {"--serial", "--auto-increment"});
    spec.options.insert(spec.options.end(), {"--max-counter", "--serial-string", "--serial-number",
                                             "--serial-address"});
    const auto args = AdapterArguments::parseImage(given, spec, error);
    OfflineOptions options;
    if (args) {
        error = readOfflineOptions(args->parsed, options);
    }
    if (!error.empty()) {
        return context_.usageError("store", error);
    }
    const CliImage::Arguments& image = args->image;
    AdapterContext context(context_, args->adapter, "store");
    CliImage code(session, context_.err);
    if (const int built = code.build(image.part.empty() ? "RQD-1" : image.part, image);
        built != HaldenCli::kSuccess) {
        return built;
    }
    if (!context.start()) {
        return HaldenCli::kFailed;
    }
    CliOfflineEditor editor(options, context_.err);
    const std::vector<std::uint8_t> bytes = code.bytes();
    context.trace().image = TraceRecord::imageOf(CliImage::fileNames(image), bytes);
    UpdateProgrammer update(
        context.link(), session.part(), [&bytes] { return bytes; }, editor, context.ui(),
        context.messages(), context.progress(), session.core().busy());
    const auto result = update.run();
    context.progress().progress(-1);
    context.tracePart(session.part().record());
    context.trace().serial = serialFields(update.settings());
    if (result == UpdateProgrammer::Result::NotCapable) {
        return context.finish(false, "the adapter has no off-line capability, so it cannot hold "
                                     "a project; nothing was stored");
    }
    if (result != UpdateProgrammer::Result::Ok) {
        const int failed = context.finish(false);
        context.link().close();
        return failed;
    }
    const int finished = context.finish(true);
    if (finished == HaldenCli::kSuccess && image.json) {
        context_.out << headerJson(update.header(), update.code()) << '\n';
    }
    return finished;
}

} // namespace halden
