#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace halden {

// The code buffer's bytes: a byte array whose length never exceeds its capacity.
class HexBuffer {
public:
    explicit HexBuffer(std::size_t capacity) : capacity_(capacity) {}

    std::size_t size() const { return bytes_.size(); }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return bytes_.empty(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::uint8_t at(std::size_t offset) const { return bytes_[offset]; }

    // Replaces the contents with the first min(count, capacity) bytes. Returns the new size.
    std::size_t assign(const std::uint8_t* bytes, std::size_t count);
    // Copies min(count, size) bytes from the start. Returns that number.
    std::size_t copyTo(std::uint8_t* destination, std::size_t count) const;
    // Returns true when a longer buffer was cut to the new capacity.
    bool setCapacity(std::size_t capacity);
    // Overwrites from offset (at most size, so no gap opens), growing the buffer up to its
    // capacity; bytes past the capacity are dropped. Returns the number written.
    std::size_t write(std::size_t offset, const std::uint8_t* bytes, std::size_t count);
    // Removes up to count bytes from offset. Returns the number removed.
    std::size_t erase(std::size_t offset, std::size_t count);
    void clear() { bytes_.clear(); }
    // The sum of all byte values in 32 bits, wrapping as the owner's checksum does.
    std::uint32_t sum() const;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t capacity_;
};

} // namespace halden
