#include "cli/ImageCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliContext.h"
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

int ImageCommands::image(const std::vector<std::string>& arguments) {
    std::string error;
    const auto args = CliImage::parseArguments(arguments, error);
    if (args && (args->part.empty() || args->files.empty())) {
        error = args->part.empty() ? "--part NAME is required" : "a FILE is required";
    }
    if (!error.empty()) {
        return context_.usageError("image", error);
    }
    const std::string& output = args->output;
    CliImage image(context_.session(), context_.err);
    if (const int built = image.build(args->part, *args); built != HaldenCli::kSuccess) {
        return built;
    }
    if (!output.empty()) {
        if (const std::string failure = AtomicFile::write(output, image.bytes());
            !failure.empty()) {
            context_.err << "halden: " << failure << '\n';
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
        context_.out << writer.text() << '\n';
    } else {
        char line[96];
        std::snprintf(line, sizeof line, "Size = %zu Bytes, Checksum = 0x%04X%s\n",
                      image.bytes().size(), checksum, image.truncated() ? " (truncated)" : "");
        context_.out << line;
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
        return context_.usageError("hex2bin", args ? "IN.hex and OUT.bin are required" : error);
    }
    const std::string& input = args->positional()[0];
    const auto text = FileReader::read(input, ImageLoader::kMaxFileSize);
    if (!text.bytes) {
        context_.err << "halden: cannot read " << input << ": " << text.reason << '\n';
        return HaldenCli::kFailed;
    }
    const auto result = IntelHex::toImage(
        std::string_view(reinterpret_cast<const char*>(text.bytes->data()), text.bytes->size()),
        kMaxHexImage);
    if (result.clipped) {
        context_.err
            << "halden: " << input
            << " places data beyond 64 MiB from the start of the flash; nothing was written\n";
        return HaldenCli::kFailed;
    }
    if (!result.complete()) {
        if (!args->partialHex()) {
            context_.err << "halden: " << input << ", " << IntelHex::loss(result)
                         << "; nothing was written (" << CliArguments::kPartialHex << " takes the "
                         << result.image.size() << " bytes converted)\n";
            return HaldenCli::kFailed;
        }
        context_.err << "halden: note: " << input << ", " << IntelHex::loss(result) << "; "
                     << result.image.size() << " bytes taken as they are\n";
    }
    if (const std::string failure = AtomicFile::write(args->positional()[1], result.image);
        !failure.empty()) {
        context_.err << "halden: " << failure << '\n';
        return HaldenCli::kFailed;
    }
    if (args->flag("--json")) {
        context_.out << "{\"size\":" << result.image.size() << "}\n";
    } else {
        context_.out << "Size = " << result.image.size() << " Bytes\n";
    }
    return HaldenCli::kSuccess;
}

} // namespace halden
