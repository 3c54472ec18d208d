#pragma once

namespace halden {

// The setup tool's banner and icon, compiled into the program.
class SetupImages {
public:
    static void registerOnce();
};

} // namespace halden
