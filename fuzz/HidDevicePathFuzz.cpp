// Device-interface paths as the system lists them. A product ID is read only from a path
// that starts as this vendor's formatted path for that product does, whatever the case;
// case never changes the answer; every formatted path reads back its own product and no
// other vendor's; and reading allocates nothing.
#include "adapter/hid/HidDevicePath.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

using halden::HidDevicePath;

// "\\?\HID#Vid_xxxx&Pid_xxxx#": what a path must start with.
constexpr std::size_t kHead = 26;

std::string withCase(std::string_view text, int (*change)(int)) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [&](char c) {
        return static_cast<char>(change(static_cast<unsigned char>(c)));
    });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const auto vendor = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    const auto product = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
    const std::string_view path(reinterpret_cast<const char*>(data + 4), size - 4);

    std::optional<std::uint16_t> read;
    {
        const halden::fuzz::AllocationWatch watch;
        read = HidDevicePath::productId(path, vendor);
        FUZZ_CHECK(watch.count() == 0);
    }
    if (read) {
        const std::string expected = HidDevicePath::format(vendor, *read, "").substr(0, kHead);
        FUZZ_CHECK(path.size() >= kHead &&
                   withCase(path.substr(0, kHead), ::tolower) == withCase(expected, ::tolower));
    }
    FUZZ_CHECK(HidDevicePath::productId(withCase(path, ::toupper), vendor) == read);
    FUZZ_CHECK(HidDevicePath::productId(withCase(path, ::tolower), vendor) == read);

    // The rest of the input as the instance part of a path the system would list.
    const std::string formatted = HidDevicePath::format(vendor, product, path);
    FUZZ_CHECK(HidDevicePath::productId(formatted, vendor) == product);
    FUZZ_CHECK(!HidDevicePath::productId(formatted, static_cast<std::uint16_t>(vendor ^ 0x0100)));
    return 0;
}
