#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden qpf info and halden qpf save.
class QpfCommands {
public:
    explicit QpfCommands(CliContext& context) : context_(context) {}

    int info(const std::vector<std::string>& arguments);
    int save(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
