#include "packsetup/qt/SetupImages.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerPackSetupQrc() {
    Q_INIT_RESOURCE(packsetup);
}

namespace halden {

void SetupImages::registerOnce() {
    static const bool registered = (registerPackSetupQrc(), true);
    (void)registered;
}

} // namespace halden
