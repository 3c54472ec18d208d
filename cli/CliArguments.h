#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// A subcommand's arguments: flags, options with a value (repeatable), and positional
// arguments, checked against what the subcommand accepts.
class CliArguments {
public:
    struct Spec {
        std::vector<std::string> flags;   // e.g. "--json"
        std::vector<std::string> options; // take a value, e.g. "--part"
    };

    // Nothing and a message in `error` when an argument is unknown or lacks its value.
    static std::optional<CliArguments> parse(const std::vector<std::string>& arguments,
                                             const Spec& spec, std::string& error);

    bool flag(const std::string& name) const;
    std::optional<std::string> option(const std::string& name) const;
    const std::vector<std::string>& all(const std::string& name) const;
    const std::vector<std::string>& positional() const { return positional_; }

private:
    std::vector<std::string> flags_;
    std::map<std::string, std::vector<std::string>> options_;
    std::vector<std::string> positional_;
};

} // namespace halden
