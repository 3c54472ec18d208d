#pragma once

#include <string>
#include <string_view>

namespace halden {

// The folder browser of the setup window's Browse button; tests replace it.
class FolderChooser {
public:
    struct Choice {
        enum class Kind {
            Cancelled, // the user closed the browser without a folder
            NoPath,    // a folder was chosen, but it has no path on this system
            Chosen,    // path holds the folder (it may be empty)
        };
        Kind kind = Kind::Cancelled;
        std::string path;
    };

    virtual ~FolderChooser() = default;
    virtual Choice chooseFolder(std::string_view title) = 0;
};

} // namespace halden
