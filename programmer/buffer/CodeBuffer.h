#pragma once

#include "programmer/buffer/ImageTarget.h"

#include <cstddef>
#include <cstdint>

namespace halden {

// The whole code buffer: what loads go to, and what applying a part and the checksum
// need of it. The hex view in the window, a plain array elsewhere.
class CodeBuffer : public ImageTarget {
public:
    virtual std::size_t length() const = 0;
    // The sum of all byte values, 0 when empty.
    virtual std::uint32_t sum() const = 0;
    // Empties the buffer.
    virtual void clear() = 0;
    // The most bytes the buffer keeps; a longer buffer is cut.
    virtual void setCapacity(std::size_t capacity) = 0;
};

} // namespace halden
