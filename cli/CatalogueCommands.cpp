#include "cli/CatalogueCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "common/Unicode.h"
#include "programmer/catalogue/SeriesTable.h"

#include <cstdio>

namespace halden {

namespace {

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count, const char* separator) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += (i == 0 ? "" : separator) + std::string(pair);
    }
    return text;
}

} // namespace

int CatalogueCommands::parts(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliArguments::parse(arguments, {{"--json"}, {}}, error);
    if (!args || !args->positional().empty()) {
        return context_.usageError("parts", args ? "takes no arguments" : error);
    }
    const ChipCatalogue& catalogue = context_.session().catalogue();
    JsonWriter json;
    json.beginArray();
    if (!args->flag("--json")) {
        context_.out
            << "index  name   series             flash     options  chip ID     parameters\n";
    }
    for (const std::uint32_t index : catalogue.partIndices()) {
        const std::string name = Unicode::toUtf8(*catalogue.partName(index));
        const std::uint32_t series = catalogue.number(index, ChipCatalogue::kSeries);
        const std::string seriesName =
            Unicode::toUtf8(std::u16string(SeriesTable::nameOf(series).value_or(u"")));
        const std::uint32_t flash = catalogue.number(index, ChipCatalogue::kFlashSize);
        const std::uint32_t options = catalogue.number(index, ChipCatalogue::kOptionCount) & 0xFF;
        const std::uint32_t chipId = catalogue.number(index, ChipCatalogue::kChipId);
        const std::uint32_t chipIdMask = catalogue.number(index, ChipCatalogue::kChipIdMask);
        std::uint8_t parameters[3];
        for (int i = 0; i < 3; ++i) {
            parameters[i] = static_cast<std::uint8_t>(catalogue.number(
                index, static_cast<std::uint16_t>(ChipCatalogue::kParameter0 + i)));
        }
        if (args->flag("--json")) {
            json.beginObject()
                .key("index")
                .value(std::int64_t{index})
                .key("name")
                .value(name)
                .key("series")
                .value(std::int64_t{series})
                .key("seriesName")
                .value(seriesName)
                .key("flashSize")
                .value(std::int64_t{flash})
                .key("optionCount")
                .value(std::int64_t{options})
                .key("chipId")
                .value(std::int64_t{chipId})
                .key("chipIdMask")
                .value(std::int64_t{chipIdMask})
                .key("parameterBytes")
                .beginArray();
            for (const std::uint8_t parameter : parameters) {
                json.value(std::int64_t{parameter});
            }
            json.endArray().endObject();
            continue;
        }
        char line[160];
        std::snprintf(line, sizeof line, "%5u  %-6s %-18s %-9s %7u  %s  %s\n", index, name.c_str(),
                      seriesName.c_str(), hex(flash, 5).c_str(), options, hex(chipId, 8).c_str(),
                      hexBytes(parameters, 3, " ").c_str());
        context_.out << line;
    }
    if (args->flag("--json")) {
        context_.out << json.endArray().text() << '\n';
    }
    return HaldenCli::kSuccess;
}

int CatalogueCommands::options(const std::vector<std::string>& arguments) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = CliArguments::parse(arguments, {{"--json"}, {"--part", "--set"}}, error);
    if (!args || !args->positional().empty() || !args->option("--part")) {
        return context_.usageError("options",
                                   !args ? error
                                   : !args->option("--part")
                                       ? "--part NAME is required"
                                       : "unexpected argument " + args->positional().front());
    }
    if (!session.selectPart(*args->option("--part"), context_.err) ||
        !session.applySettings(args->all("--set"), context_.err)) {
        return HaldenCli::kUsage;
    }
    printOptions(args->flag("--json"));
    return HaldenCli::kSuccess;
}

void CatalogueCommands::printOptions(bool json) {
    CliSession& session = context_.session();
    const PartRecord& record = session.part().record();
    const std::string name = Unicode::toUtf8(record.partName);
    if (json) {
        JsonWriter writer;
        writer.beginObject()
            .key("part")
            .value(name)
            .key("index")
            .value(std::int64_t{record.partIndex})
            .key("optionBytes")
            .value(hexBytes(record.optionBytes.data(), record.optionCount, ""))
            .key("boxes")
            .beginArray();
        for (const auto& box : session.part().boxes()) {
            writer.beginObject()
                .key("label")
                .value(Unicode::toUtf8(box.label))
                .key("enabled")
                .value(box.enabled)
                .key("ticked")
                .value(box.ticked)
                .endObject();
        }
        context_.out << writer.endArray().endObject().text() << '\n';
        return;
    }
    context_.out << "part " << name << " (index " << record.partIndex << "), "
                 << int{record.optionCount} << " option bytes\n";
    for (std::size_t row = 0; row < record.optionCount; row += 16) {
        const std::size_t count = std::min<std::size_t>(16, record.optionCount - row);
        char offset[16];
        std::snprintf(offset, sizeof offset, "  %03zX: ", row);
        context_.out << offset << hexBytes(record.optionBytes.data() + row, count, " ") << '\n';
    }
    for (const auto& box : session.part().boxes()) {
        if (box.enabled) {
            char line[96];
            std::snprintf(line, sizeof line, "  [%c] %-12s %s\n", box.ticked ? 'x' : ' ',
                          Unicode::toUtf8(box.label).c_str(), Unicode::toUtf8(box.tooltip).c_str());
            context_.out << line;
        }
    }
}

} // namespace halden
