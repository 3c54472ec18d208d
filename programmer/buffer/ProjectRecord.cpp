#include "programmer/buffer/ProjectRecord.h"

#include <algorithm>

namespace halden {

// The reserved word before the type: the application object's program-wide constant.
constexpr std::uint16_t kApplicationConstant = 0x0100;

void ProjectRecord::ResetProjectRecord() {
    *this = ProjectRecord{};
    std::copy(kMagic.begin(), kMagic.end(), magic.begin());
    optionArea.fill(0xFF);
    optionAreaLength = static_cast<std::uint8_t>(kOptionAreaSize);
    partIndex = 0xFFFF;
    reservedAfterOptions2 = 0xFF;
    reservedByte = 5;
    version = kVersion;
    reservedBeforeType = kApplicationConstant;
    type = kType;
    offline.serialString.fill(' ');
}

} // namespace halden
