#pragma once

#include "cli/CliArguments.h"

#include "programmer/buffer/ImageLoader.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// Builds the code buffer from the command line's files, one after another as Load
// File does: FILE[@HEXADDR] loads at that address (default 0), "--clear" before a file
// empties the buffer first. The size warning is answered OK only with --truncate. A
// project file replaces part, option bytes and code, as it does in the window.
class CliImage {
public:
    struct FileSpec {
        std::string path;
        std::uint32_t address = 0;
        bool clearFirst = false;
    };

    // What the image-building commands take: --part NAME, --set LABEL=on|off, -o OUT,
    // --truncate, --json, --partial-hex, and files, each optionally after --clear; "--"
    // before file names that begin with '-'.
    struct Arguments {
        std::string part;
        std::string output;
        std::vector<std::string> settings;
        bool truncate = false;
        bool json = false;
        bool partialHex = false;
        std::vector<FileSpec> files;
    };

    // What parseArguments accepts, for commands that take more besides.
    static CliArguments::Spec spec();
    // Nothing, with the reason in `error`, for an unknown option or a missing value.
    static std::optional<Arguments> parseArguments(const std::vector<std::string>& arguments,
                                                   std::string& error);
    // The image options read from arguments parsed with (at least) parseArguments' options.
    static Arguments fromParsed(const CliArguments& parsed);
    // What a command that programs the files lacks: a file, or --part for a first file that
    // is not a project; empty when nothing is missing.
    static std::string missingFileOrPart(const Arguments& arguments);
    // Whether the file is a project (.qpf, case ignored), which names its own part.
    static bool isProject(const std::string& path);
    // The files as given ("app.bin@1000"), for the trace log.
    static std::vector<std::string> fileNames(const Arguments& arguments);
    // Splits "FILE@HEXADDR"; the address part counts only when it is hexadecimal.
    static FileSpec parseSpec(const std::string& text, bool clearFirst);

    CliImage(CliSession& session, std::ostream& err);

    // False when a file did not load; the reason is on err. A HEX file that lost data
    // records fails unless partialHex.
    bool load(const std::vector<FileSpec>& files, bool truncate, bool partialHex = false);
    // The part, the files and then the option settings, as the window takes them:
    // HaldenCli::kSuccess, kUsage for an unknown part or setting, kFailed when a file
    // did not load. A project file among the files may change the part.
    int build(const std::string& part, const Arguments& arguments);

    const std::vector<std::uint8_t>& bytes() const;
    bool truncated() const { return truncated_; }
    const ImageLoader& loader() const;

private:
    CliSession& session_;
    std::ostream& err_;
    // The project among the files names its own part, which replaces --part's.
    void notePartTaken(const std::vector<FileSpec>& files, const std::string& requestedPart);

    bool truncated_ = false;
    bool partialHex_ = false;
};

} // namespace halden
