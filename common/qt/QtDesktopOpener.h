#pragma once

#include "DesktopOpener.h"

namespace halden {

// Opens files and addresses through QDesktopServices: a path with the application its
// type is associated with, an address in the web browser.
class QtDesktopOpener : public DesktopOpener {
public:
    bool open(const std::string& pathOrUrl) override;
};

} // namespace halden
