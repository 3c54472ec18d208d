#include "adapter/hid/HidReportDescriptor.h"

#include <array>
#include <map>
#include <utility>
#include <vector>

namespace halden {

namespace {

enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag { kInput = 0x8, kOutput = 0x9, kFeature = 0xB };
enum GlobalTag { kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB };

constexpr std::size_t kMaxStackDepth = 16;
// A HID report is at most what one control transfer carries.
constexpr std::uint64_t kMaxReportBits = 0xFFFFull * 8;

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct Item {
    int type = 0;
    int tag = 0;
    std::uint32_t value = 0;
    std::size_t length = 0; // bytes the item takes, prefix included
};

std::optional<Item> readItem(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const std::uint8_t prefix = bytes[offset];
    if (prefix == 0xFE) { // long item: size byte, tag byte, data; carries no report layout
        if (offset + 3 > bytes.size() || bytes.size() - offset - 3 < bytes[offset + 1]) {
            return std::nullopt;
        }
        return Item{-1, 0, 0, 3u + bytes[offset + 1]};
    }
    static constexpr std::array<std::size_t, 4> kSizes = {0, 1, 2, 4};
    const std::size_t size = kSizes[prefix & 3];
    if (bytes.size() - offset - 1 < size) {
        return std::nullopt;
    }
    Item item{(prefix >> 2) & 3, prefix >> 4, 0, 1 + size};
    for (std::size_t i = 0; i < size; ++i) {
        item.value |= std::uint32_t{bytes[offset + 1 + i]} << (8 * i);
    }
    return item;
}

} // namespace

std::optional<HidReportDescriptor::Lengths>
HidReportDescriptor::reportLengths(std::span<const std::uint8_t> descriptor) {
    Globals globals;
    std::vector<Globals> stack;
    bool numbered = false;
    // Bits per report ID, for input, output and feature.
    std::array<std::map<std::uint32_t, std::uint64_t>, 3> bits;
    for (std::size_t offset = 0; offset < descriptor.size();) {
        const auto item = readItem(descriptor, offset);
        if (!item) {
            return std::nullopt;
        }
        offset += item->length;
        if (item->type == kGlobal) {
            switch (item->tag) {
            case kReportSize:
                globals.reportSize = item->value;
                break;
            case kReportCount:
                globals.reportCount = item->value;
                break;
            case kReportId:
                globals.reportId = item->value;
                numbered = true;
                break;
            case kPush:
                if (stack.size() == kMaxStackDepth) {
                    return std::nullopt;
                }
                stack.push_back(globals);
                break;
            case kPop:
                if (stack.empty()) {
                    return std::nullopt;
                }
                globals = stack.back();
                stack.pop_back();
                break;
            default:
                break;
            }
        } else if (item->type == kMain &&
                   (item->tag == kInput || item->tag == kOutput || item->tag == kFeature)) {
            const int which = item->tag == kInput ? 0 : (item->tag == kOutput ? 1 : 2);
            auto& total = bits[which][globals.reportId];
            total += std::uint64_t{globals.reportSize} * globals.reportCount;
            if (total > kMaxReportBits) {
                return std::nullopt;
            }
        }
    }
    // The longest report of a type and its ID; the lowest ID among equals.
    const auto longest = [](const std::map<std::uint32_t, std::uint64_t>& reports) {
        std::pair<std::size_t, std::uint32_t> found{0, 0};
        for (const auto& [id, count] : reports) {
            const auto length = static_cast<std::size_t>((count + 7) / 8 + 1);
            if (length > found.first) {
                found = {length, id};
            }
        }
        return found;
    };
    const auto [input, inputId] = longest(bits[0]);
    return Lengths{input, longest(bits[1]).first, longest(bits[2]).first, numbered, inputId};
}

} // namespace halden
