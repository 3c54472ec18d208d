// Intel HEX text from anywhere: the image never grows past its bound and no record
// reads past its line.
#include "programmer/buffer/IntelHex.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kBound = 0x40000;
    const auto result = halden::IntelHex::toImage(
        std::string_view(reinterpret_cast<const char*>(data), size), kBound);
    if (result.image.size() > kBound) {
        std::abort();
    }
    return 0;
}
