#pragma once

#include "common/DesktopOpener.h"

#include <ostream>
#include <string>

namespace halden {

// Starts no application: prints what would be opened as "[open] ADDRESS", beside the
// messages.
class ConsoleDesktopOpener : public DesktopOpener {
public:
    explicit ConsoleDesktopOpener(std::ostream& out) : out_(out) {}

    bool open(const std::string& pathOrUrl) override;

private:
    std::ostream& out_;
};

} // namespace halden
