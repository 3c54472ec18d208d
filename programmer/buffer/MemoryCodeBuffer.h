#pragma once

#include "programmer/buffer/CodeBuffer.h"
#include "programmer/buffer/CodeChecksum.h"

#include <cstdint>
#include <string>
#include <vector>

namespace halden {

// The code buffer as a plain array, for work without a window: it keeps at most its
// capacity, as the hex view does.
class MemoryCodeBuffer : public CodeBuffer {
public:
    explicit MemoryCodeBuffer(std::size_t capacity = 0) : capacity_(capacity) {}

    std::size_t length() const override { return bytes_.size(); }
    std::uint32_t sum() const override { return CodeChecksum::sum(bytes_); }
    void setCapacity(std::size_t capacity) override {
        capacity_ = capacity;
        if (bytes_.size() > capacity_) {
            bytes_.resize(capacity_);
        }
    }
    void clear() override { bytes_.clear(); }

    std::vector<std::uint8_t> codeBytes(std::size_t count) const override {
        return {bytes_.begin(),
                bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes_.size()))};
    }
    void display(const std::string& path, std::span<const std::uint8_t> image) override {
        shownPath_ = path;
        bytes_.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(
                                                         std::min(image.size(), capacity_)));
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    const std::string& shownPath() const { return shownPath_; }

private:
    std::size_t capacity_;
    std::vector<std::uint8_t> bytes_;
    std::string shownPath_;
};

} // namespace halden
