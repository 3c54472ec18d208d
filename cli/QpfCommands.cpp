#include "QpfCommands.h"

#include "CliImage.h"
#include "CliSession.h"
#include "FileReader.h"
#include "HaldenCli.h"
#include "ImageLoader.h"
#include "JsonWriter.h"
#include "ProjectFile.h"

#include <cstdio>

namespace halden {

namespace {

constexpr const char* kUsage =
    "Usage: halden qpf info FILE [--json]\n"
    "       halden qpf save --part NAME [--set LABEL=on|off]... [--clear] FILE[@HEXADDR]... "
    "-o OUT.qpf [--truncate]\n";

std::string hexText(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string saveTimeText(const std::array<std::uint8_t, 6>& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", 2000 + time[0], time[1],
                  time[2], time[3], time[4], time[5]);
    return text;
}

} // namespace

int QpfCommands::run(const std::vector<std::string>& arguments) {
    const std::string command = arguments.empty() ? "" : arguments.front();
    const std::vector<std::string> rest(arguments.begin() + (arguments.empty() ? 0 : 1),
                                        arguments.end());
    if (command == "info") {
        return info(rest);
    }
    if (command == "save") {
        return save(rest);
    }
    err_ << kUsage;
    return HaldenCli::kUsage;
}

int QpfCommands::info(const std::vector<std::string>& arguments) {
    bool json = false;
    std::vector<std::string> paths;
    for (const auto& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 1) {
        err_ << kUsage;
        return HaldenCli::kUsage;
    }
    const auto file = FileReader::readAll(paths[0], ImageLoader::kMaxFileSize);
    if (!file) {
        err_ << "halden: cannot read " << paths[0] << '\n';
        return HaldenCli::kFailed;
    }
    const auto layout = ProjectFile::locate(*file);
    if (!layout || ProjectFile::CheckProjectFile(*file) == 0) {
        session_.textMessage().ShowTextMessage(1101, 2002,
                                               {MessageButtons::Ok, MessageIcon::Error});
        return HaldenCli::kFailed;
    }
    ProjectRecord record;
    record.ResetProjectRecord();
    ProjectFile::parseTrailer(*file, *layout, record);
    const std::string optionArea = hexText(record.optionArea.data(), record.optionAreaLength);
    if (json) {
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
            .endObject();
        out_ << writer.text() << '\n';
        return HaldenCli::kSuccess;
    }
    char text[512];
    std::snprintf(text, sizeof text,
                  "CodeFile Name   %s\nIsp Code Name   %s\nCode Size       %u\n"
                  "Code Checksum   0x%04X\nPart Index      %u\nQPF Save Time   %s\n"
                  "Random Key      0x%08X\nATPG Key        0x%04X\nVersion         0x%04X\n"
                  "Type            0x%02X\nTrailer Length  %u\nTrailer Sum     0x%04X\n",
                  record.codeFileName.c_str(), record.ispFileName.c_str(), record.codeSize,
                  record.codeChecksum, record.partIndex, saveTimeText(record.saveTime).c_str(),
                  record.randomKey, record.atpgKey, record.version, record.type,
                  record.trailerLength, record.trailerChecksum);
    out_ << text << "Option Area     " << optionArea << '\n';
    return HaldenCli::kSuccess;
}

int QpfCommands::save(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliImage::parseArguments(arguments, error);
    if (args && (args->part.empty() || args->output.empty() || args->files.empty())) {
        error = "--part, a FILE and -o OUT.qpf are required";
    }
    if (!error.empty()) {
        err_ << "halden qpf save: " << error << '\n' << kUsage;
        return HaldenCli::kUsage;
    }
    CliImage image(session_, err_);
    if (const int built = image.build(args->part, *args); built != HaldenCli::kSuccess) {
        return built;
    }
    if (image.bytes().empty()) {
        session_.messages().show(u"Code Buffer is empty !", u"Halden Programmer", {});
        return HaldenCli::kFailed;
    }
    const std::string failure = session_.core().saveProject(args->output);
    if (!failure.empty()) {
        err_ << "halden: " << failure << '\n';
        return HaldenCli::kFailed;
    }
    out_ << "Saved " << args->output << " (" << image.bytes().size() << " bytes of code, "
         << session_.project().trailerLength << " bytes of trailer)\n";
    return HaldenCli::kSuccess;
}

} // namespace halden
