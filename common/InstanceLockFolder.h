#pragma once

#include <string>

namespace halden {

// Where a program keeps its single-instance lock: a folder of the user's own, so one
// user's running program never keeps another user's from starting. The runtime folder
// (XDG_RUNTIME_DIR) when it is an absolute path to a folder this user owns; otherwise
// .local/state/halden in the user's home, made for the user alone when it is missing.
class InstanceLockFolder {
public:
    static constexpr const char* kHomeFolder = ".local/state/halden";

    // The folder for this process's environment; empty when neither can be had.
    static std::string find();
    // The same for the given runtime folder and home (null: not set).
    static std::string find(const char* runtimeFolder, const char* home);
};

} // namespace halden
