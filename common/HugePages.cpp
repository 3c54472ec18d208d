#include "common/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace halden {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

} // namespace

void HugePages::advise(const void* data, std::size_t size) {
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (begin + size) & ~(kHugePage - 1);
    if (data != nullptr && end > first) {
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

} // namespace halden
