#include "common/ResourceDirectory.h"
#include "common/ByteOrder.h"

#include <gtest/gtest.h>

#include <string>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A directory with one entry of the given placement and the data after the table.
Bytes blobWithEntry(const std::string& type, std::uint32_t id, std::uint32_t offset,
                    std::uint32_t size, const Bytes& data) {
    Bytes blob(ResourceDirectory::kMagic.begin(), ResourceDirectory::kMagic.end());
    ByteOrder::appendLe32(blob, 1);
    std::string field = type;
    field.resize(ResourceDirectory::kTypeSize, '\0');
    blob.insert(blob.end(), field.begin(), field.end());
    ByteOrder::appendLe32(blob, id);
    ByteOrder::appendLe32(blob, offset);
    ByteOrder::appendLe32(blob, size);
    blob.insert(blob.end(), data.begin(), data.end());
    return blob;
}

constexpr std::uint32_t kDataOffset =
    ResourceDirectory::kHeaderSize + ResourceDirectory::kEntrySize;

TEST(ResourceDirectory, FindsAnEntryByTypeIgnoringCaseAndById) {
    const Bytes blob = blobWithEntry("DYNAMIC", 256, kDataOffset, 3, {1, 2, 3});
    const ResourceDirectory directory(blob);
    ASSERT_TRUE(directory.valid());
    const auto found = directory.find("dynamic", 256);
    ASSERT_TRUE(found);
    EXPECT_EQ(Bytes(found->begin(), found->end()), (Bytes{1, 2, 3}));
    EXPECT_FALSE(directory.find("DYNAMIC", 257));
    EXPECT_FALSE(directory.find("DYNAMI", 256));
}

TEST(ResourceDirectory, RefusesWhatRunsPastTheBlob) {
    struct Case {
        const char* name;
        Bytes blob;
    };
    Bytes countTooLarge = blobWithEntry("FW", 1, kDataOffset, 1, {9});
    countTooLarge[8] = 0xFF;
    const Case cases[] = {
        {"data past the end", blobWithEntry("FW", 1, kDataOffset, 2, {9})},
        {"offset past the end", blobWithEntry("FW", 1, 0xFFFFFFF0u, 0x20, {9})},
        {"count past the end", countTooLarge},
        {"truncated header", Bytes{'H', 'L', 'D'}},
    };
    for (const auto& c : cases) {
        const ResourceDirectory directory(c.blob);
        EXPECT_FALSE(directory.find("FW", 1)) << c.name;
    }
}

} // namespace
} // namespace halden
