#pragma once

namespace halden {

// Registers the banner and icon images compiled into the programmer. The images sit
// in a static library, so they must be registered before the first window needs them.
class ProgrammerImages {
public:
    static void registerOnce();
};

} // namespace halden
