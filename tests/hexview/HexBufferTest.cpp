#include "hexview/HexBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes contents(const HexBuffer& buffer) {
    return Bytes(buffer.data(), buffer.data() + buffer.size());
}

HexBuffer make(const Bytes& bytes, std::size_t capacity) {
    HexBuffer buffer(capacity);
    buffer.assign(bytes.data(), bytes.size());
    return buffer;
}

TEST(HexBufferTest, AssignKeepsOnlyTheCapacity) {
    const Bytes bytes = {1, 2, 3, 4, 5, 6};
    HexBuffer buffer(4);
    EXPECT_EQ(buffer.assign(bytes.data(), bytes.size()), 4u);
    EXPECT_EQ(contents(buffer), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(buffer.assign(bytes.data(), 2), 2u);
    EXPECT_EQ(contents(buffer), (Bytes{1, 2}));
}

TEST(HexBufferTest, SetCapacityCutsOnlyALongerBuffer) {
    HexBuffer buffer = make({1, 2, 3, 4}, 8);
    EXPECT_FALSE(buffer.setCapacity(4));
    EXPECT_EQ(buffer.size(), 4u);
    EXPECT_TRUE(buffer.setCapacity(3));
    EXPECT_EQ(contents(buffer), (Bytes{1, 2, 3}));
    EXPECT_EQ(buffer.capacity(), 3u);
    EXPECT_TRUE(buffer.setCapacity(0));
    EXPECT_TRUE(buffer.empty());
}

TEST(HexBufferTest, CopyToCopiesAtMostTheLength) {
    const HexBuffer buffer = make({7, 8, 9}, 8);
    Bytes out(5, 0xEE);
    EXPECT_EQ(buffer.copyTo(out.data(), out.size()), 3u);
    EXPECT_EQ(out, (Bytes{7, 8, 9, 0xEE, 0xEE}));
    EXPECT_EQ(buffer.copyTo(out.data(), 2), 2u);
}

struct WriteCase {
    const char* name;
    Bytes before;
    std::size_t capacity;
    std::size_t offset;
    Bytes data;
    std::size_t written;
    Bytes after;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class HexBufferWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(HexBufferWriteTest, Writes) {
    const WriteCase& c = GetParam();
    HexBuffer buffer = make(c.before, c.capacity);
    EXPECT_EQ(buffer.write(c.offset, c.data.data(), c.data.size()), c.written);
    EXPECT_EQ(contents(buffer), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexBufferWriteTest,
    testing::Values(WriteCase{"inside", {1, 2, 3, 4}, 8, 1, {9, 9}, 2, {1, 9, 9, 4}},
                    WriteCase{"acrossTheEnd", {1, 2, 3}, 8, 2, {7, 8, 9}, 3, {1, 2, 7, 8, 9}},
                    WriteCase{"atTheEnd", {1, 2}, 8, 2, {5}, 1, {1, 2, 5}},
                    WriteCase{"intoEmpty", {}, 8, 0, {5, 6}, 2, {5, 6}},
                    WriteCase{"cutAtCapacity", {1, 2}, 4, 1, {7, 8, 9, 10}, 3, {1, 7, 8, 9}},
                    WriteCase{"fullBufferAtEnd", {1, 2}, 2, 2, {5}, 0, {1, 2}},
                    WriteCase{"pastTheEndLeavesNoGap", {1, 2}, 8, 3, {5}, 0, {1, 2}}),
    [](const auto& info) { return info.param.name; });

struct EraseCase {
    const char* name;
    std::size_t offset;
    std::size_t count;
    std::size_t removed;
    Bytes after;
};

void PrintTo(const EraseCase& c, std::ostream* os) {
    *os << c.name;
}

class HexBufferEraseTest : public testing::TestWithParam<EraseCase> {};

TEST_P(HexBufferEraseTest, Erases) {
    const EraseCase& c = GetParam();
    HexBuffer buffer = make({1, 2, 3, 4, 5}, 8);
    EXPECT_EQ(buffer.erase(c.offset, c.count), c.removed);
    EXPECT_EQ(contents(buffer), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, HexBufferEraseTest,
                         testing::Values(EraseCase{"middle", 1, 2, 2, {1, 4, 5}},
                                         EraseCase{"first", 0, 1, 1, {2, 3, 4, 5}},
                                         EraseCase{"beyondTheEnd", 3, 10, 2, {1, 2, 3}},
                                         EraseCase{"atTheEnd", 5, 1, 0, {1, 2, 3, 4, 5}},
                                         EraseCase{"all", 0, 5, 5, {}}),
                         [](const auto& info) { return info.param.name; });

TEST(HexBufferTest, SumIsTheByteSumIn32Bits) {
    EXPECT_EQ(HexBuffer(16).sum(), 0u);
    EXPECT_EQ(make({0x01, 0x80, 0xFF}, 16).sum(), 0x180u);
    const Bytes full(0x40000, 0xFF);
    EXPECT_EQ(make(full, full.size()).sum(), 0x3FC0000u);
}

} // namespace
} // namespace halden
