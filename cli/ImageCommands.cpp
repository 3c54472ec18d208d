#include "ImageCommands.h"

#include "AtomicFile.h"
#include "CliImage.h"
#include "CliSession.h"
#include "CodeChecksum.h"
#include "FileReader.h"
#include "HaldenCli.h"
#include "IntelHex.h"
#include "JsonWriter.h"

#include <cstdio>

namespace halden {

namespace {

constexpr const char* kImageUsage =
    "Usage: halden image --part NAME [--clear] FILE[@HEXADDR]... [-o OUT.bin] [--truncate] "
    "[--json]\n";

} // namespace

int ImageCommands::image(const std::vector<std::string>& arguments) {
    std::string part;
    std::string output;
    bool truncate = false;
    bool json = false;
    bool clearNext = false;
    std::vector<CliImage::FileSpec> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if ((argument == "--part" || argument == "-o") && !hasValue) {
            err_ << "halden image: " << argument << " needs a value\n" << kImageUsage;
            return HaldenCli::kUsage;
        }
        if (argument == "--part") {
            part = arguments[++i];
        } else if (argument == "-o") {
            output = arguments[++i];
        } else if (argument == "--truncate") {
            truncate = true;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--clear") {
            clearNext = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            err_ << "halden image: unknown option " << argument << '\n' << kImageUsage;
            return HaldenCli::kUsage;
        } else {
            files.push_back(CliImage::parseSpec(argument, clearNext));
            clearNext = false;
        }
    }
    if (part.empty() || files.empty()) {
        err_ << "halden image: " << (part.empty() ? "--part NAME" : "a FILE") << " is required\n"
             << kImageUsage;
        return HaldenCli::kUsage;
    }
    if (!session_.selectPart(part, err_)) {
        return HaldenCli::kUsage;
    }
    CliImage image(session_, err_);
    if (!image.load(files, truncate)) {
        return HaldenCli::kFailed;
    }
    if (!output.empty()) {
        if (const std::string error = AtomicFile::write(output, image.bytes()); !error.empty()) {
            err_ << "halden: " << error << '\n';
            return HaldenCli::kFailed;
        }
    }
    const std::uint16_t checksum = CodeChecksum::compute(image.bytes());
    if (json) {
        JsonWriter writer;
        writer.beginObject()
            .key("size")
            .value(static_cast<std::int64_t>(image.bytes().size()))
            .key("checksum")
            .value(std::int64_t{checksum})
            .key("truncated")
            .value(image.truncated())
            .endObject();
        out_ << writer.text() << '\n';
    } else {
        char line[96];
        std::snprintf(line, sizeof line, "Size = %zu Bytes, Checksum = 0x%04X%s\n",
                      image.bytes().size(), checksum, image.truncated() ? " (truncated)" : "");
        out_ << line;
    }
    return HaldenCli::kSuccess;
}

int ImageCommands::hex2bin(const std::vector<std::string>& arguments) {
    bool json = false;
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2) {
        err_ << "Usage: halden hex2bin IN.hex OUT.bin [--json]\n";
        return HaldenCli::kUsage;
    }
    const auto text = FileReader::readAll(paths[0], ImageLoader::kMaxFileSize);
    if (!text) {
        err_ << "halden: cannot read " << paths[0] << '\n';
        return HaldenCli::kFailed;
    }
    const auto result = IntelHex::toImage(
        std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), kMaxHexImage);
    if (result.clipped) {
        err_ << "halden: " << paths[0]
             << " places data beyond 64 MiB from the start of the flash; nothing was written\n";
        return HaldenCli::kFailed;
    }
    if (const std::string error = AtomicFile::write(paths[1], result.image); !error.empty()) {
        err_ << "halden: " << error << '\n';
        return HaldenCli::kFailed;
    }
    if (json) {
        out_ << "{\"size\":" << result.image.size() << "}\n";
    } else {
        out_ << "Size = " << result.image.size() << " Bytes\n";
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
