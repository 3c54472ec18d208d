#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// A subcommand's arguments: flags, options with a value (repeatable), markers that
// apply to the next positional argument, and positional arguments, checked against what
// the subcommand accepts. "--" ends the options: everything after it is positional.
class CliArguments {
public:
    // Every command that reads Intel HEX takes it, anywhere among its options: the
    // conversion's result is taken as it is, also when it lost data records.
    static constexpr const char* kPartialHex = "--partial-hex";

    struct Spec {
        Spec(std::vector<std::string> flagNames = {}, std::vector<std::string> optionNames = {})
            : flags(std::move(flagNames)), options(std::move(optionNames)) {}

        std::vector<std::string> flags;   // e.g. "--json"
        std::vector<std::string> options; // take a value, e.g. "--part"
        std::vector<std::string> markers; // e.g. "--clear": for the next positional only
        bool readsHex = false;            // accepts kPartialHex
    };

    // Nothing and a message in `error` when an argument is unknown or lacks its value.
    static std::optional<CliArguments> parse(const std::vector<std::string>& arguments,
                                             const Spec& spec, std::string& error);

    bool flag(const std::string& name) const;
    std::optional<std::string> option(const std::string& name) const;
    const std::vector<std::string>& all(const std::string& name) const;
    const std::vector<std::string>& positional() const { return positional_; }
    // Whether the marker stood before the positional argument at that index.
    bool marked(std::size_t index, const std::string& marker) const;
    // kPartialHex was given.
    bool partialHex() const { return flag(kPartialHex); }

private:
    std::vector<std::string> flags_;
    std::map<std::string, std::vector<std::string>> options_;
    std::vector<std::string> positional_;
    std::vector<std::vector<std::string>> marks_; // one list for each positional
};

} // namespace halden
