#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace halden {

// Where loaded images go: the code buffer (the hex view in the window, a plain array
// in the command line) and the display of what was loaded.
class ImageTarget {
public:
    virtual ~ImageTarget() = default;

    // The first `count` bytes of the code buffer (fewer if it holds fewer).
    virtual std::vector<std::uint8_t> codeBytes(std::size_t count) const = 0;
    // Shows a newly loaded image: the file path in the status pane, the size and
    // checksum panes blank until the buffer reports its change, then the buffer
    // emptied and given the image.
    virtual void display(const std::string& path, std::span<const std::uint8_t> image) = 0;
};

} // namespace halden
