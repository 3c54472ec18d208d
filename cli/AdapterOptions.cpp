#include "cli/AdapterOptions.h"

#include "adapter/AdapterDirectory.h"

#include <cstdlib>

namespace halden {

std::optional<AdapterOptions> AdapterOptions::take(std::vector<std::string>& arguments,
                                                   std::string& error) {
    AdapterOptions options;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            rest.insert(rest.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i),
                        arguments.end());
            break;
        }
        std::string* target = argument == kAdapter ? &options.adapterPath
                              : argument == kLog   ? &options.logPath
                                                   : nullptr;
        if (target == nullptr) {
            rest.push_back(argument);
            continue;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (!target->empty()) {
            error = argument + " is given twice";
            return std::nullopt;
        }
        *target = arguments[++i];
    }
    arguments = std::move(rest);
    return options;
}

void AdapterOptions::chooseAdapter() const {
    if (adapterPath.empty()) {
        ::unsetenv(AdapterDirectory::kAdapterPathVariable);
    } else {
        ::setenv(AdapterDirectory::kAdapterPathVariable, adapterPath.c_str(), 1);
    }
}

} // namespace halden
