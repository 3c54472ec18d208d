#include "programmer/app/ProgrammerImages.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerProgrammerQrc() {
    Q_INIT_RESOURCE(programmer);
}

namespace halden {

void ProgrammerImages::registerOnce() {
    static const bool registered = (registerProgrammerQrc(), true);
    (void)registered;
}

} // namespace halden
