#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// The production line's commands: halden read, verify, blank-check and adapters. Each
// adapter command takes --adapter PATH and --log FILE (AdapterOptions).
class ProductionCommands {
public:
    explicit ProductionCommands(CliContext& context) : context_(context) {}

    int read(const std::vector<std::string>& arguments);
    int verify(const std::vector<std::string>& arguments);
    int blankCheck(const std::vector<std::string>& arguments);
    int adapters(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
