#pragma once

// What the fuzz targets share: a check that names the invariant it found broken, and a
// watch on the blocks one run allocates, through the sanitizer allocator's hooks (the
// targets are always built with ASan).
#include <sanitizer/allocator_interface.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition) ::halden::fuzz::check((condition), #condition, __FILE__, __LINE__)

namespace halden::fuzz {

inline void check(bool holds, const char* what, const char* file, int line) {
    if (!holds) {
        std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
        std::abort();
    }
}

// The largest block and the number of blocks allocated since it was made. One at a time,
// on the fuzzing thread; libFuzzer allows several hooks, so its own -malloc_limit_mb
// keeps working.
class AllocationWatch {
public:
    AllocationWatch() {
        static const int installed = __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree);
        FUZZ_CHECK(installed != 0);
        largest_ = 0;
        count_ = 0;
    }
    AllocationWatch(const AllocationWatch&) = delete;
    AllocationWatch& operator=(const AllocationWatch&) = delete;

    std::size_t largest() const { return largest_; }
    std::size_t count() const { return count_; }

private:
    static void onMalloc(const volatile void*, std::size_t size) {
        largest_ = size > largest_ ? size : largest_;
        ++count_;
    }
    static void onFree(const volatile void*) {}

    static inline std::size_t largest_ = 0;
    static inline std::size_t count_ = 0;
};

} // namespace halden::fuzz
