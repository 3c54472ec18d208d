#include "cli/AdapterArguments.h"

namespace halden {

std::optional<AdapterArguments> AdapterArguments::parse(const std::vector<std::string>& given,
                                                        const CliArguments::Spec& spec,
                                                        std::string& error) {
    std::vector<std::string> arguments = given;
    auto adapter = AdapterOptions::take(arguments, error);
    if (!adapter) {
        return std::nullopt;
    }
    auto parsed = CliArguments::parse(arguments, spec, error);
    if (!parsed) {
        return std::nullopt;
    }
    return AdapterArguments{std::move(*adapter), std::move(*parsed), {}};
}

std::optional<AdapterArguments> AdapterArguments::parseImage(const std::vector<std::string>& given,
                                                             const CliArguments::Spec& spec,
                                                             std::string& error) {
    auto arguments = parse(given, spec, error);
    if (!arguments) {
        return std::nullopt;
    }
    arguments->image = CliImage::fromParsed(arguments->parsed);
    error = CliImage::missingFileOrPart(arguments->image);
    if (!error.empty()) {
        return std::nullopt;
    }
    return arguments;
}

std::string AdapterArguments::unexpectedOrMissing(std::initializer_list<Required> required) const {
    if (!parsed.positional().empty()) {
        return "unexpected argument " + parsed.positional().front();
    }
    for (const Required& option : required) {
        if (!parsed.option(option.option)) {
            return std::string(option.option) + " " + option.value + " is required";
        }
    }
    return {};
}

} // namespace halden
