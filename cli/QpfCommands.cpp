#include "cli/QpfCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
#include "cli/CliImage.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "common/FileReader.h"
#include "common/Unicode.h"
#include "programmer/buffer/ImageLoader.h"
#include "programmer/buffer/ProjectFile.h"
#include "programmer/buffer/ProjectSaver.h"

#include <cstdio>

namespace halden {

namespace {

std::string hexText(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string hexNumber(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

// A name as the terminal may show it: well-formed UTF-8 stays, a backslash is doubled,
// and control characters and bytes that are not UTF-8 are spelled \xNN.
std::string shownName(std::string_view name) {
    std::string shown;
    for (std::size_t i = 0; i < name.size();) {
        char32_t codePoint = 0;
        const std::size_t length = Unicode::sequenceAt(name, i, codePoint);
        const bool control = codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
        if (length > 0 && !control) {
            shown += codePoint == U'\\' ? "\\\\" : std::string(name.substr(i, length));
            i += length;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(name[i]));
        shown += escaped;
        ++i;
    }
    return shown;
}

std::string saveTimeText(const std::array<std::uint8_t, 6>& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", 2000 + time[0], time[1],
                  time[2], time[3], time[4], time[5]);
    return text;
}

} // namespace

int QpfCommands::info(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliArguments::parse(arguments, {{"--json"}, {}}, error);
    if (!args || args->positional().size() != 1) {
        return context_.usageError("qpf info", args ? "one FILE is required" : error);
    }
    const std::string& path = args->positional().front();
    const auto file = FileReader::read(path, ImageLoader::kMaxFileSize);
    if (!file.bytes) {
        context_.err << "halden: cannot read " << path << ": " << file.reason << '\n';
        return HaldenCli::kFailed;
    }
    const auto layout = ProjectFile::locate(*file.bytes);
    if (!layout || ProjectFile::CheckProjectFile(*file.bytes) == 0) {
        context_.session().textMessage().ShowTextMessage(1101, 2002,
                                                         {MessageButtons::Ok, MessageIcon::Error});
        return HaldenCli::kFailed;
    }
    ProjectRecord record;
    record.ResetProjectRecord();
    ProjectFile::parseTrailer(*file.bytes, *layout, record);
    const auto bytesOf = [](const std::string& text) {
        return hexText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    const std::string optionArea = hexText(record.optionArea.data(), record.optionAreaLength);
    if (args->flag("--json")) {
        JsonWriter writer;
        writer.beginObject()
            .key("codeSize")
            .value(std::int64_t{record.codeSize})
            .key("codeChecksum")
            .value(std::int64_t{record.codeChecksum})
            .key("partIndex")
            .value(std::int64_t{record.partIndex})
            .key("codeFileName")
            .value(record.codeFileName)
            .key("ispFileName")
            .value(record.ispFileName)
            .key("optionArea")
            .value(optionArea)
            .key("randomKey")
            .value(std::int64_t{record.randomKey})
            .key("atpgKey")
            .value(std::int64_t{record.atpgKey})
            .key("saveTime")
            .value(saveTimeText(record.saveTime))
            .key("version")
            .value(std::int64_t{record.version})
            .key("type")
            .value(std::int64_t{record.type})
            .key("trailerLength")
            .value(std::int64_t{record.trailerLength})
            .key("trailerChecksum")
            .value(std::int64_t{record.trailerChecksum})
            .key("codeFileNameBytes")
            .value(bytesOf(record.codeFileName))
            .key("ispFileNameBytes")
            .value(bytesOf(record.ispFileName))
            .endObject();
        context_.out << writer.text() << '\n';
        return HaldenCli::kSuccess;
    }
    context_.out << "CodeFile Name   " << shownName(record.codeFileName) << '\n'
                 << "Isp Code Name   " << shownName(record.ispFileName) << '\n'
                 << "Code Size       " << record.codeSize << '\n'
                 << "Code Checksum   " << hexNumber(record.codeChecksum, 4) << '\n'
                 << "Part Index      " << record.partIndex << '\n'
                 << "QPF Save Time   " << saveTimeText(record.saveTime) << '\n'
                 << "Random Key      " << hexNumber(record.randomKey, 8) << '\n'
                 << "ATPG Key        " << hexNumber(record.atpgKey, 4) << '\n'
                 << "Version         " << hexNumber(record.version, 4) << '\n'
                 << "Type            " << hexNumber(record.type, 2) << '\n'
                 << "Trailer Length  " << record.trailerLength << '\n'
                 << "Trailer Sum     " << hexNumber(record.trailerChecksum, 4) << '\n'
                 << "Option Area     " << optionArea << '\n';
    return HaldenCli::kSuccess;
}

int QpfCommands::save(const std::vector<std::string>& arguments) {
    CliSession& session = context_.session();
    std::string error;
    const auto args = CliImage::parseArguments(arguments, error);
    if (args && (args->part.empty() || args->output.empty() || args->files.empty())) {
        error = "--part, a FILE and -o OUT.qpf are required";
    }
    if (!error.empty()) {
        return context_.usageError("qpf save", error);
    }
    CliImage image(session, context_.err);
    if (const int built = image.build(args->part, *args); built != HaldenCli::kSuccess) {
        return built;
    }
    if (image.bytes().empty()) {
        session.messages().show(u"Code Buffer is empty !", u"Halden Programmer", {});
        return HaldenCli::kFailed;
    }
    const std::string failure = session.core().saveProject(args->output);
    if (!failure.empty()) {
        context_.err << "halden: " << failure << '\n';
        return HaldenCli::kFailed;
    }
    context_.out << "Saved " << args->output << " (" << image.bytes().size() << " bytes of code, "
                 << session.project().trailerLength << " bytes of trailer)\n";
    return HaldenCli::kSuccess;
}

} // namespace halden
