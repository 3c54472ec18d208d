#include "adapter/LinkRecord.h"

#include "adapter/wire/WireNames.h"

#include <cstdio>

namespace halden {

std::string LinkRecord::text() const {
    std::string line = what;
    if (tag) {
        line += " tag " + WireNames::hex(*tag);
    }
    if (status) {
        line += " status " + std::to_string(*status);
    }
    if (operation == Operation::Command || operation == Operation::ReadData) {
        line += " address " + WireNames::hex(address, 8) + " length " + std::to_string(length);
    }
    line += ": " + (ok ? std::string("ok") : problem);
    if (!hidError.empty()) {
        line += " [" + hidError + "]";
    }
    char time[32];
    std::snprintf(time, sizeof time, ", %.1f ms", static_cast<double>(elapsed.count()) / 1000.0);
    return line + time;
}

std::string LinkRecord::failureLine() const {
    std::string line = problem;
    if (!hidError.empty()) {
        line += " (" + hidError + ")";
    }
    return line;
}

} // namespace halden
