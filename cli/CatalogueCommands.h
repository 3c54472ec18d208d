#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden parts and halden options.
class CatalogueCommands {
public:
    explicit CatalogueCommands(CliContext& context) : context_(context) {}

    int parts(const std::vector<std::string>& arguments);
    int options(const std::vector<std::string>& arguments);

private:
    void printOptions(bool json);

    CliContext& context_;
};

} // namespace halden
