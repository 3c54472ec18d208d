#include "programmer/buffer/ImageLoader.h"

#include "common/FileReader.h"
#include "common/Unicode.h"
#include "programmer/buffer/ImageTarget.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/text/TextMessage.h"

#include <algorithm>
#include <cstdio>

namespace halden {

namespace {

bool equalsIgnoringCase(const std::string& a, const char* b) {
    const std::string_view other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string ImageLoader::extension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    return dot == std::string::npos ? std::string{} : path.substr(dot);
}

std::uint32_t ImageLoader::imageLimit(const ChipCatalogue& catalogue, std::uint32_t partIndex) {
    const auto text = catalogue.string(partIndex, ChipCatalogue::kFlashSize);
    if (!text) {
        return 0;
    }
    const auto separator = text->find_first_of(u"|, ");
    if (separator != std::u16string::npos) {
        const auto second = text->find_first_not_of(u"|, ", separator);
        if (second != std::u16string::npos) {
            return KeyedTables::parseNumber(std::u16string_view(*text).substr(second));
        }
    }
    return KeyedTables::parseNumber(*text);
}

ImageLoader::Outcome ImageLoader::LoadImageFile(const std::string& path, bool interactive) {
    auto read = FileReader::read(path, kMaxFileSize);
    if (!read.bytes) {
        unreadableReason_ = read.reason;
        return Outcome::Unreadable;
    }
    std::vector<std::uint8_t> data = std::move(*read.bytes);
    if (data.empty()) {
        return Outcome::Empty;
    }
    const std::string suffix = extension(path);
    if (equalsIgnoringCase(suffix, ".qpf")) {
        return projectReader_ ? projectReader_(path, data) : Outcome::Refused;
    }
    bool clearBuffer = false;
    if (interactive && areaChooser_ != nullptr) {
        const auto area = areaChooser_->chooseArea(
            catalogue_.number(record_.partIndex, ChipCatalogue::kIapAddress));
        if (!area) {
            return Outcome::Cancelled;
        }
        clearBuffer = area->clearBuffer;
        loadAddress_ = area->address;
    }
    std::vector<std::uint8_t> image;
    bool clipped = false;
    const std::uint32_t limit = imageLimit(catalogue_, record_.partIndex);
    if (equalsIgnoringCase(suffix, ".hex")) {
        auto converted = IntelHex::toImage(
            std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), limit);
        if (!converted.complete() && !acceptHexLoss(path, converted)) {
            return Outcome::HexIncomplete;
        }
        image = std::move(converted.image);
        clipped = converted.clipped;
    } else {
        image = std::move(data);
    }
    if (loadAddress_ >= limit) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The load address 0x%X lies at or beyond the end of the flash (0x%X bytes); "
                      "nothing was loaded.",
                      loadAddress_, limit);
        messages_.messages().show(Unicode::toUtf16(text), messages_.text().text(1101),
                                  {MessageButtons::Ok, MessageIcon::Error});
        return Outcome::Refused;
    }
    if (!fitToLimit(image, clipped)) {
        return Outcome::Cancelled;
    }
    recordCodeFileName(path);
    display(path, merge(image, clearBuffer));
    return Outcome::Loaded;
}

// Data records the conversion did not reach are never dropped silently.
bool ImageLoader::acceptHexLoss(const std::string& path, const IntelHex::Result& converted) {
    const std::string loss = IntelHex::loss(converted);
    const std::size_t loaded = static_cast<std::size_t>(converted.end);
    if (hexLossHandler_) {
        return hexLossHandler_(path, loss, loaded);
    }
    const auto slash = path.find_last_of('/');
    char size[64];
    std::snprintf(size, sizeof size, "%zu bytes (0x%zX)", loaded, loaded);
    const std::string text = (slash == std::string::npos ? path : path.substr(slash + 1)) + ", " +
                             loss + ".\nLoaded: " + size + ".";
    messages_.messages().show(Unicode::toUtf16(text), messages_.text().text(1107),
                              {MessageButtons::Ok, MessageIcon::Warning});
    return true;
}

// The size warning: OK cuts the image to what fits below the limit.
bool ImageLoader::fitToLimit(std::vector<std::uint8_t>& image, bool clipped) {
    const std::uint64_t limit = imageLimit(catalogue_, record_.partIndex);
    if (!clipped && image.size() + std::uint64_t{loadAddress_} <= limit) {
        return true;
    }
    messages_.messages().beep(MessageIcon::Question);
    const auto answer = messages_.ShowTextMessage(
        1107, 1108, {MessageButtons::OkCancel, MessageIcon::Warning, MessageAnswer::Cancel});
    if (answer != MessageAnswer::Ok) {
        return false;
    }
    image.resize(
        std::min<std::size_t>(image.size(), static_cast<std::size_t>(limit - loadAddress_)));
    return true;
}

std::vector<std::uint8_t> ImageLoader::merge(const std::vector<std::uint8_t>& image,
                                             bool clearBuffer) const {
    const std::size_t current = clearBuffer ? 0 : record_.codeSize;
    const std::size_t end = std::max(current, std::size_t{loadAddress_} + image.size());
    std::vector<std::uint8_t> merged(end, 0xFF);
    if (current > 0) {
        const auto bytes = target_.codeBytes(current);
        std::copy(bytes.begin(), bytes.end(), merged.begin());
    }
    std::copy(image.begin(), image.end(), merged.begin() + loadAddress_);
    return merged;
}

void ImageLoader::recordCodeFileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    name.resize(std::min<std::size_t>(name.size(), 255));
    project_.codeFileName = name;
    project_.codeFileNameLength = static_cast<std::uint8_t>(name.size());
}

void ImageLoader::display(const std::string& path, const std::vector<std::uint8_t>& image) {
    cutToFlash_ = false;
    if (image.empty()) {
        return;
    }
    // The buffer keeps no more than the flash.
    const auto kept =
        std::span(image).first(std::min<std::size_t>(image.size(), record_.flashSize));
    cutToFlash_ = kept.size() < image.size();
    target_.display(path, kept);
}

} // namespace halden
