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
    std::string error;
    const auto args = CliImage::parseArguments(arguments, error);
    if (args && (args->part.empty() || args->files.empty())) {
        error = args->part.empty() ? "--part NAME is required" : "a FILE is required";
    }
    if (!error.empty()) {
        err_ << "halden image: " << error << '\n' << kImageUsage;
        return HaldenCli::kUsage;
    }
    const std::string& output = args->output;
    CliImage image(session_, err_);
    if (const int built = image.build(args->part, *args); built != HaldenCli::kSuccess) {
        return built;
    }
    if (!output.empty()) {
        if (const std::string error = AtomicFile::write(output, image.bytes()); !error.empty()) {
            err_ << "halden: " << error << '\n';
            return HaldenCli::kFailed;
        }
    }
    const std::uint16_t checksum = CodeChecksum::compute(image.bytes());
    if (args->json) {
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
