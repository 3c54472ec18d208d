#include "cli/ConsoleDesktopOpener.h"

namespace halden {

bool ConsoleDesktopOpener::open(const std::string& pathOrUrl) {
    out_ << "[open] " << pathOrUrl << std::endl;
    return true;
}

} // namespace halden
