#include "cli/CliImage.h"

#include "cli/CliArguments.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "common/Unicode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace halden {

namespace {

// The load area a file spec names, answered without a dialog.
class SpecArea : public AreaChooser {
public:
    explicit SpecArea(const CliImage::FileSpec& spec) : spec_(spec) {}
    std::optional<AreaChoice> chooseArea(std::uint32_t) override {
        return AreaChoice{spec_.address, spec_.clearFirst};
    }

private:
    const CliImage::FileSpec& spec_;
};

bool isHex(const std::string& text) {
    std::size_t start = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 2 : 0;
    return text.size() > start && text.size() - start <= 8 &&
           text.find_first_not_of("0123456789abcdefABCDEF", start) == std::string::npos;
}

} // namespace

CliArguments::Spec CliImage::spec() {
    CliArguments::Spec spec;
    spec.flags = {"--truncate", "--json"};
    spec.options = {"--part", "-o", "--set"};
    spec.markers = {"--clear"};
    spec.readsHex = true;
    return spec;
}

std::optional<CliImage::Arguments>
CliImage::parseArguments(const std::vector<std::string>& arguments, std::string& error) {
    const auto parsed = CliArguments::parse(arguments, spec(), error);
    if (!parsed) {
        return std::nullopt;
    }
    return fromParsed(*parsed);
}

CliImage::Arguments CliImage::fromParsed(const CliArguments& parsed) {
    Arguments args;
    args.part = parsed.option("--part").value_or("");
    args.output = parsed.option("-o").value_or("");
    args.settings = parsed.all("--set");
    args.truncate = parsed.flag("--truncate");
    args.json = parsed.flag("--json");
    args.partialHex = parsed.partialHex();
    for (std::size_t i = 0; i < parsed.positional().size(); ++i) {
        args.files.push_back(parseSpec(parsed.positional()[i], parsed.marked(i, "--clear")));
    }
    return args;
}

std::string CliImage::missingFileOrPart(const Arguments& arguments) {
    if (arguments.files.empty()) {
        return "a FILE is required";
    }
    if (arguments.part.empty() && !isProject(arguments.files.front().path)) {
        return "--part NAME is required unless the first file is a project (.qpf)";
    }
    return {};
}

bool CliImage::isProject(const std::string& path) {
    const auto dot = path.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".qpf";
}

std::vector<std::string> CliImage::fileNames(const Arguments& arguments) {
    std::vector<std::string> names;
    for (const FileSpec& file : arguments.files) {
        char address[16];
        std::snprintf(address, sizeof address, "@%X", file.address);
        names.push_back(file.address != 0 ? file.path + address : file.path);
    }
    return names;
}

CliImage::FileSpec CliImage::parseSpec(const std::string& text, bool clearFirst) {
    const auto at = text.find_last_of('@');
    if (at != std::string::npos && at > 0 && isHex(text.substr(at + 1))) {
        return {text.substr(0, at),
                static_cast<std::uint32_t>(std::stoul(text.substr(at + 1), nullptr, 16)),
                clearFirst};
    }
    return {text, 0, clearFirst};
}

CliImage::CliImage(CliSession& session, std::ostream& err) : session_(session), err_(err) {
    session_.core().loader().setHexLossHandler(
        [this](const std::string& path, const std::string& loss, std::size_t loaded) {
            if (partialHex_) {
                err_ << "halden: note: " << path << ", " << loss << "; " << loaded
                     << " bytes taken as they are (" << CliArguments::kPartialHex << ")\n";
                return true;
            }
            err_ << "halden: " << path << ", " << loss << "; nothing was written ("
                 << CliArguments::kPartialHex << " takes the " << loaded << " bytes converted)\n";
            return false;
        });
}

const std::vector<std::uint8_t>& CliImage::bytes() const {
    return session_.code().bytes();
}

const ImageLoader& CliImage::loader() const {
    return session_.core().loader();
}

int CliImage::build(const std::string& part, const Arguments& arguments) {
    if (!session_.selectPart(part, err_)) {
        return HaldenCli::kUsage;
    }
    if (!load(arguments.files, arguments.truncate, arguments.partialHex)) {
        return HaldenCli::kFailed;
    }
    if (!arguments.part.empty()) {
        notePartTaken(arguments.files, arguments.part);
    }
    return session_.applySettings(arguments.settings, err_) ? HaldenCli::kSuccess
                                                            : HaldenCli::kUsage;
}

bool CliImage::load(const std::vector<FileSpec>& files, bool truncate, bool partialHex) {
    session_.setSizeWarningAnswer(truncate ? MessageAnswer::Ok : MessageAnswer::Cancel);
    partialHex_ = partialHex;
    for (const FileSpec& file : files) {
        SpecArea area(file);
        ProgrammerCore& core = session_.core();
        core.setAreaChooser(&area);
        const std::size_t warningsBefore = session_.sizeWarnings();
        const auto outcome = core.loadFile(file.path, true);
        core.setAreaChooser(nullptr);
        truncated_ = truncated_ || session_.sizeWarnings() > warningsBefore ||
                     (outcome != ImageLoader::Outcome::HexIncomplete && core.loader().cutToFlash());
        switch (outcome) {
        case ImageLoader::Outcome::Loaded:
        case ImageLoader::Outcome::Project:
            continue;
        case ImageLoader::Outcome::Unreadable:
            err_ << "halden: cannot read " << file.path << ": " << core.loader().unreadableReason()
                 << '\n';
            break;
        case ImageLoader::Outcome::HexIncomplete:
            break; // the handler said why
        case ImageLoader::Outcome::Empty:
            err_ << "halden: " << file.path << " is empty\n";
            break;
        case ImageLoader::Outcome::Cancelled:
            err_ << "halden: " << file.path
                 << " does not fit in the flash; nothing was written (--truncate cuts it)\n";
            break;
        case ImageLoader::Outcome::Refused:
            err_ << "halden: " << file.path << " was not loaded\n";
            break;
        }
        return false;
    }
    return true;
}

// A project file names its own part, which replaces the one --part asked for.
void CliImage::notePartTaken(const std::vector<FileSpec>& files, const std::string& requestedPart) {
    const auto project = std::find_if(files.rbegin(), files.rend(), [](const FileSpec& file) {
        return equalsIgnoringCase(Unicode::toUtf16(ImageLoader::extension(file.path)), u".qpf");
    });
    if (project == files.rend()) {
        return;
    }
    const std::string& path = project->path;
    const auto taken = session_.catalogue().partName(session_.part().record().partIndex);
    const std::string name = taken ? Unicode::toUtf8(*taken) : "no part";
    if (!equalsIgnoringCase(Unicode::toUtf16(name), Unicode::toUtf16(requestedPart))) {
        err_ << "halden: note: " << path << " is a project for " << name
             << "; the project's own part was taken, not " << requestedPart << '\n';
    }
}

} // namespace halden
