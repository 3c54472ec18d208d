#pragma once

#include "adapter/AdapterDirectory.h"
#include "adapter/AdapterLink.h"
#include "adapter/LinkExports.h"
#include "adapter/LinkLibrary.h"

#include <memory>
#include <ostream>

namespace halden {

// The link library beside halden, checked and bound as the programmer does it, with the
// link over its exports and the directory of the adapters it reaches.
class BoundLink {
public:
    // Nothing, with the reason on err, when the library cannot be used.
    static std::unique_ptr<BoundLink> load(std::ostream& err);

    LinkLibrary& library() { return library_; }
    AdapterLink& link() { return link_; }
    const AdapterDirectory& directory() const { return *directory_; }

private:
    BoundLink() = default;

    LinkLibrary library_;
    LinkExports exports_;
    AdapterLink link_{exports_};
    std::unique_ptr<AdapterDirectory> directory_;
};

} // namespace halden
