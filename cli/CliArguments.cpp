#include "cli/CliArguments.h"

#include <algorithm>

namespace halden {

namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::optional<CliArguments> CliArguments::parse(const std::vector<std::string>& arguments,
                                                const Spec& spec, std::string& error) {
    CliArguments parsed;
    std::vector<std::string> pendingMarks;
    bool optionsEnded = false;
    const auto addPositional = [&](const std::string& argument) {
        parsed.positional_.push_back(argument);
        parsed.marks_.push_back(std::move(pendingMarks));
        pendingMarks.clear();
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (optionsEnded) {
            addPositional(arguments[i]);
            continue;
        }
        std::string name = arguments[i];
        if (name == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const bool isFlag = contains(spec.flags, name) || (spec.readsHex && name == kPartialHex);
        if (isFlag && !inlineValue) {
            parsed.flags_.push_back(name);
        } else if (contains(spec.markers, name) && !inlineValue) {
            pendingMarks.push_back(name);
        } else if (contains(spec.options, name)) {
            if (!inlineValue && i + 1 == arguments.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            parsed.options_[name].push_back(inlineValue ? *inlineValue : arguments[++i]);
        } else if (name.size() > 1 && name[0] == '-') {
            error = "unknown option " + arguments[i];
            return std::nullopt;
        } else {
            addPositional(arguments[i]);
        }
    }
    return parsed;
}

bool CliArguments::flag(const std::string& name) const {
    return contains(flags_, name);
}

std::optional<std::string> CliArguments::option(const std::string& name) const {
    const auto it = options_.find(name);
    if (it == options_.end() || it->second.empty()) {
        return std::nullopt;
    }
    return it->second.back();
}

const std::vector<std::string>& CliArguments::all(const std::string& name) const {
    static const std::vector<std::string> none;
    const auto it = options_.find(name);
    return it == options_.end() ? none : it->second;
}

bool CliArguments::marked(std::size_t index, const std::string& marker) const {
    return index < marks_.size() && contains(marks_[index], marker);
}

} // namespace halden
