#include "adapter/wire/RequestTag.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace halden {

std::uint8_t RequestTag::combine(std::uint32_t tickMs, int random) {
    return static_cast<std::uint8_t>((tickMs % 256) * (static_cast<unsigned>(random) % 256) % 256);
}

std::uint8_t RequestTag::make() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const auto tick = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return combine(static_cast<std::uint32_t>(tick.count()), std::rand());
}

} // namespace halden
