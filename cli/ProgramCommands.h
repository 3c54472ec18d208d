#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden program and halden adapter: work through the adapter (a real one, or the
// emulator when TAVRO_EMULATOR is set).
class ProgramCommands {
public:
    explicit ProgramCommands(CliContext& context) : context_(context) {}

    int program(const std::vector<std::string>& arguments);
    int adapter(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
