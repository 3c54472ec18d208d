#pragma once

#include <cstddef>

namespace halden {

// A buffer of many megabytes (a file read whole, an image built from one) is touched page
// by page, and each 4 KiB page costs a fault: thousands for one file. Asked before its
// first touch, the kernel backs the buffer with huge pages where it allows them (a few
// faults for the lot). Only a hint: where the kernel declines, nothing changes.
class HugePages {
public:
    // Advises the whole huge pages inside [data, data + size).
    static void advise(const void* data, std::size_t size);
};

} // namespace halden
