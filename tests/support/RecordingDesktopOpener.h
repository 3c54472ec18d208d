#pragma once

#include "common/DesktopOpener.h"

#include <string>
#include <vector>

namespace halden::test {

// The desktop, replaced: what a program asked it to open, in order.
class RecordingDesktopOpener : public DesktopOpener {
public:
    bool open(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return true;
    }
    std::vector<std::string> opened;
};

} // namespace halden::test
