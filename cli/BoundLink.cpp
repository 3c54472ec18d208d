#include "cli/BoundLink.h"

#include "cli/AdapterContext.h"

namespace halden {

std::unique_ptr<BoundLink> BoundLink::load(std::ostream& err) {
    std::unique_ptr<BoundLink> bound(new BoundLink);
    if (!AdapterContext::loadLibrary(bound->library_, err)) {
        return nullptr;
    }
    bound->exports_ = bound->library_.bindExports();
    bound->directory_ = std::make_unique<AdapterDirectory>(bound->library_);
    return bound;
}

} // namespace halden
