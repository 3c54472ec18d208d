// HID report descriptors as a device hands them over. A descriptor is taken only when its
// items end exactly where it ends; the lengths stay within one control transfer and its
// ID byte; cutting a taken descriptor at an item boundary never lengthens a report, and
// cutting it inside an item is refused; a long item changes nothing; and no block grows
// with the descriptor.
#include "adapter/hid/HidReportDescriptor.h"
#include "fuzz/FuzzSupport.h"

#include <optional>
#include <vector>

namespace {

using halden::HidReportDescriptor;
using Lengths = HidReportDescriptor::Lengths;

// 0xFFFF data bytes in one control transfer, and the ID byte.
constexpr std::size_t kMaxLength = 0xFFFF + 1;
// The 16-deep global stack is the largest thing the parser keeps.
constexpr std::size_t kMaxBlock = 256;
// Every prefix is parsed again below this size; real descriptors are far shorter.
constexpr std::size_t kPrefixCheckLimit = 256;

// Whether an item starts at each offset, walking by the item prefixes alone; nothing
// when the last item runs past the end.
std::optional<std::vector<bool>> itemStarts(std::span<const std::uint8_t> bytes) {
    static constexpr std::size_t kDataSizes[] = {0, 1, 2, 4};
    std::vector<bool> starts(bytes.size() + 1, false);
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        starts[offset] = true;
        const std::uint8_t prefix = bytes[offset];
        if (prefix == 0xFE) { // long item: prefix, data size, tag, data
            offset += 3 + (offset + 1 < bytes.size() ? bytes[offset + 1] : 0);
        } else {
            offset += 1 + kDataSizes[prefix & 3];
        }
    }
    if (offset != bytes.size()) {
        return std::nullopt;
    }
    starts[offset] = true;
    return starts;
}

bool same(const std::optional<Lengths>& a, const std::optional<Lengths>& b) {
    return a.has_value() == b.has_value() &&
           (!a || (a->input == b->input && a->output == b->output && a->feature == b->feature &&
                   a->numbered == b->numbered));
}

bool within(const Lengths& part, const Lengths& whole) {
    return part.input <= whole.input && part.output <= whole.output &&
           part.feature <= whole.feature && (!part.numbered || whole.numbered);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> descriptor(data, size);
    std::optional<Lengths> lengths;
    {
        const halden::fuzz::AllocationWatch watch;
        lengths = HidReportDescriptor::reportLengths(descriptor);
        FUZZ_CHECK(watch.largest() <= kMaxBlock);
    }
    const auto starts = itemStarts(descriptor);
    if (!starts) {
        FUZZ_CHECK(!lengths);
        return 0;
    }

    std::vector<std::uint8_t> withLongItem(descriptor.begin(), descriptor.end());
    withLongItem.insert(withLongItem.end(), {0xFE, 0x02, 0x10, 0x85, 0x01});
    FUZZ_CHECK(same(HidReportDescriptor::reportLengths(withLongItem), lengths));

    if (!lengths) {
        return 0;
    }
    FUZZ_CHECK(lengths->input <= kMaxLength && lengths->output <= kMaxLength &&
               lengths->feature <= kMaxLength);
    if (size > kPrefixCheckLimit) {
        return 0;
    }
    for (std::size_t cut = 0; cut < size; ++cut) {
        const auto prefix = HidReportDescriptor::reportLengths(descriptor.first(cut));
        if ((*starts)[cut]) {
            FUZZ_CHECK(prefix && within(*prefix, *lengths));
        } else {
            FUZZ_CHECK(!prefix);
        }
    }
    return 0;
}
