#include "cli/ImageCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliImage.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "cli/JsonWriter.h"
#include "common/AtomicFile.h"
#include "common/FileReader.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/buffer/IntelHex.h"

#include <cstdio>

namespace halden {

namespace {

constexpr const char* kImageUsage =
    "Usage: halden image --part NAME [--clear] FILE[@HEXADDR]... [-o OUT.bin] [--truncate] "
    "[--partial-hex] [--json]\n";

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
        if (const std::string failure = AtomicFile::write(output, image.bytes());
            !failure.empty()) {
            err_ << "halden: " << failure << '\n';
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
    std::string error;
    CliArguments::Spec spec;
    spec.flags = {"--json"};
    spec.readsHex = true;
    const auto args = CliArguments::parse(arguments, spec, error);
    if (!args || args->positional().size() != 2) {
        err_ << (args ? "" : "halden hex2bin: " + error + "\n")
             << "Usage: halden hex2bin [--partial-hex] IN.hex OUT.bin [--json]\n";
        return HaldenCli::kUsage;
    }
    const std::string& input = args->positional()[0];
    const auto text = FileReader::read(input, ImageLoader::kMaxFileSize);
    if (!text.bytes) {
        err_ << "halden: cannot read " << input << ": " << text.reason << '\n';
        return HaldenCli::kFailed;
    }
    const auto result = IntelHex::toImage(
        std::string_view(reinterpret_cast<const char*>(text.bytes->data()), text.bytes->size()),
        kMaxHexImage);
    if (result.clipped) {
        err_ << "halden: " << input
             << " places data beyond 64 MiB from the start of the flash; nothing was written\n";
        return HaldenCli::kFailed;
    }
    if (!result.complete()) {
        if (!args->partialHex()) {
            err_ << "halden: " << input << ", " << IntelHex::loss(result)
                 << "; nothing was written (" << CliArguments::kPartialHex << " takes the "
                 << result.image.size() << " bytes converted)\n";
            return HaldenCli::kFailed;
        }
        err_ << "halden: note: " << input << ", " << IntelHex::loss(result) << "; "
             << result.image.size() << " bytes taken as they are\n";
    }
    if (const std::string failure = AtomicFile::write(args->positional()[1], result.image);
        !failure.empty()) {
        err_ << "halden: " << failure << '\n';
        return HaldenCli::kFailed;
    }
    if (args->flag("--json")) {
        out_ << "{\"size\":" << result.image.size() << "}\n";
    } else {
        out_ << "Size = " << result.image.size() << " Bytes\n";
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
