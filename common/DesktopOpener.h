#pragma once

#include <string>

namespace halden {

// Opens a file or an address with the desktop's associated application.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    virtual bool open(const std::string& pathOrUrl) = 0;
};

} // namespace halden
