#pragma once

#include <string>

namespace halden {

// Opens a file or an address with the desktop's default application for it (the
// shell's default verb). Tests replace it to see what would be opened.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // False when the desktop could not open it.
    virtual bool open(const std::string& pathOrUrl) = 0;
};

} // namespace halden
