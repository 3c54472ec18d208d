#pragma once

#include "cli/AdapterOptions.h"
#include "cli/CliArguments.h"
#include "cli/CliImage.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// An adapter command's arguments: --adapter and --log (AdapterOptions) wherever they stand
// before "--", and the command's own options and files by its spec.
struct AdapterArguments {
    AdapterOptions adapter;
    CliArguments parsed;
    CliImage::Arguments image; // read from parsed by parseImage only

    // Nothing, with the reason in error, when either part is wrong.
    static std::optional<AdapterArguments> parse(const std::vector<std::string>& arguments,
                                                 const CliArguments::Spec& spec,
                                                 std::string& error);
    // For a command that writes files into the chip or checks it against them: spec holds
    // at least CliImage::spec(); a missing file, or a missing part for a first file that
    // is not a project, is an error too.
    static std::optional<AdapterArguments> parseImage(const std::vector<std::string>& arguments,
                                                      const CliArguments::Spec& spec,
                                                      std::string& error);
    // An option a command cannot do without, and what its value stands for.
    struct Required {
        const char* option; // "--part"
        const char* value;  // "NAME"
    };
    // For a command that takes no file: the first positional argument, else the first
    // required option missing, as a usage error; empty when neither.
    std::string unexpectedOrMissing(std::initializer_list<Required> required = {}) const;
};

} // namespace halden
