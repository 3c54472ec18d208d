#include "programmer/text/ProgrammerResources.h"

#include <cstddef>

extern const unsigned char programmerResourceBlob[];
extern const std::size_t programmerResourceBlobSize;

namespace halden {

ResourceDirectory ProgrammerResources::directory() {
    return ResourceDirectory({programmerResourceBlob, programmerResourceBlobSize});
}

} // namespace halden
