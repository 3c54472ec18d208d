#pragma once

#include "common/ByteOrder.h"
#include "common/ResourceDirectory.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace halden::test {

// Builds a resource directory of keyed string tables, for catalogue fixtures that the
// shipped resources do not have.
class ResourceBlobBuilder {
public:
    using Records = std::vector<std::pair<std::uint16_t, std::u16string>>;

    ResourceBlobBuilder& table(std::uint32_t id, const Records& records) {
        std::vector<std::uint8_t> bytes;
        for (const auto& [key, text] : records) {
            ByteOrder::appendLe16(bytes, key);
            for (char16_t unit : text) {
                ByteOrder::appendLe16(bytes, unit);
            }
            ByteOrder::appendLe16(bytes, 0);
        }
        ByteOrder::appendLe16(bytes, 0xFFFF);
        tables_[id] = std::move(bytes);
        return *this;
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> blob(ResourceDirectory::kMagic.begin(),
                                       ResourceDirectory::kMagic.end());
        ByteOrder::appendLe32(blob, static_cast<std::uint32_t>(tables_.size()));
        auto offset = static_cast<std::uint32_t>(ResourceDirectory::kHeaderSize +
                                                 tables_.size() * ResourceDirectory::kEntrySize);
        for (const auto& [id, bytes] : tables_) {
            std::string type = "DYNAMIC";
            type.resize(ResourceDirectory::kTypeSize, '\0');
            blob.insert(blob.end(), type.begin(), type.end());
            ByteOrder::appendLe32(blob, id);
            ByteOrder::appendLe32(blob, offset);
            ByteOrder::appendLe32(blob, static_cast<std::uint32_t>(bytes.size()));
            offset += static_cast<std::uint32_t>(bytes.size());
        }
        for (const auto& [id, bytes] : tables_) {
            blob.insert(blob.end(), bytes.begin(), bytes.end());
        }
        return blob;
    }

private:
    std::map<std::uint32_t, std::vector<std::uint8_t>> tables_;
};

} // namespace halden::test
