#pragma once

#include "common/DesktopOpener.h"

namespace halden {

// The desktop's default application through QDesktopServices: a path opens as a local
// file, anything with a scheme as that address.
class QtDesktopOpener : public DesktopOpener {
public:
    bool open(const std::string& pathOrUrl) override;
};

} // namespace halden
