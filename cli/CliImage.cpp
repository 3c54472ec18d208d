#include "CliImage.h"

#include "CliSession.h"
#include "HaldenCli.h"

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

std::optional<CliImage::Arguments>
CliImage::parseArguments(const std::vector<std::string>& arguments, std::string& error) {
    Arguments parsed;
    bool clearNext = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string* value = argument == "--part" ? &parsed.part
                             : argument == "-o"   ? &parsed.output
                                                  : nullptr;
        if ((value != nullptr || argument == "--set") && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (value != nullptr) {
            *value = arguments[++i];
        } else if (argument == "--set") {
            parsed.settings.push_back(arguments[++i]);
        } else if (argument == "--truncate") {
            parsed.truncate = true;
        } else if (argument == "--json") {
            parsed.json = true;
        } else if (argument == "--clear") {
            clearNext = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return std::nullopt;
        } else {
            parsed.files.push_back(parseSpec(argument, clearNext));
            clearNext = false;
        }
    }
    return parsed;
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

CliImage::CliImage(CliSession& session, std::ostream& err) : session_(session), err_(err) {}

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
    if (!load(arguments.files, arguments.truncate)) {
        return HaldenCli::kFailed;
    }
    return session_.applySettings(arguments.settings, err_) ? HaldenCli::kSuccess
                                                            : HaldenCli::kUsage;
}

bool CliImage::load(const std::vector<FileSpec>& files, bool truncate) {
    session_.setSizeWarningAnswer(truncate ? MessageAnswer::Ok : MessageAnswer::Cancel);
    for (const FileSpec& file : files) {
        SpecArea area(file);
        ProgrammerCore& core = session_.core();
        core.setAreaChooser(&area);
        const std::size_t warningsBefore = session_.sizeWarnings();
        const auto outcome = core.loadFile(file.path, true);
        core.setAreaChooser(nullptr);
        truncated_ = truncated_ || session_.sizeWarnings() > warningsBefore;
        switch (outcome) {
        case ImageLoader::Outcome::Loaded:
        case ImageLoader::Outcome::Project:
            continue;
        case ImageLoader::Outcome::Unreadable:
            err_ << "halden: cannot read " << file.path << '\n';
            break;
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

} // namespace halden
