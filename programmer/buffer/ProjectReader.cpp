#include "programmer/buffer/ProjectReader.h"

#include "common/ByteOrder.h"
#include "programmer/buffer/ImageLoader.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/catalogue/PartSettings.h"
#include "programmer/text/TextMessage.h"

#include <algorithm>

namespace halden {

namespace {

constexpr MessageStyle kErrorOk{MessageButtons::Ok, MessageIcon::Error};

} // namespace

ProjectReader::Result ProjectReader::ReadProject(const std::string& path,
                                                 std::span<const std::uint8_t> file) {
    const auto layout = ProjectFile::locate(file);
    if (!layout || ProjectFile::CheckProjectFile(file) == 0) {
        messages_.ShowTextMessage(1101, 2002, kErrorOk);
        return Result::Incompatible;
    }
    record_.ResetProjectRecord();
    if (!checkHeader(*layout, file)) {
        reject();
        return Result::Rejected;
    }
    ProjectFile::parseTrailer(file, *layout, record_);
    if (layout->trailerStart == 0) {
        reject();
        return Result::Rejected;
    }
    const std::uint16_t partIndex = record_.partIndex;
    // A part the catalogue does not hold cannot be selected: treated like "no part".
    if (partIndex == 0xFFFF || !catalogue_.partName(partIndex)) {
        messages_.ShowTextMessage(1101, 2006, kErrorOk);
        return Result::Unsupported;
    }
    host_.selectProjectPart(partIndex, true);
    // Applying the part reset the record: read the trailer into it once more.
    record_.ResetProjectRecord();
    ProjectFile::parseTrailer(file, *layout, record_);

    PartRecord& part = part_.record();
    part.partIndex = record_.partIndex;
    const std::size_t count = std::min<std::size_t>(part.optionCount, record_.optionAreaLength);
    std::array<std::uint8_t, PartRecord::kOptionImageSize> options = part.optionBytes;
    std::copy_n(record_.optionArea.begin(), count, options.begin());
    part_.restoreOptions(options);
    host_.optionBoxesRestored();

    const auto code = file.first(layout->trailerStart);
    loader_.display(path, std::vector<std::uint8_t>(code.begin(), code.end()));
    return Result::Loaded;
}

// Magic and version: a foreign or too new file is rejected, an old one only if the user says No.
bool ProjectReader::checkHeader(const ProjectFile::Layout& layout,
                                std::span<const std::uint8_t> file) {
    const auto trailer = file.subspan(layout.trailerStart);
    const std::uint16_t version = ByteOrder::readBe16(trailer, trailer.size() - 9);
    if (!std::equal(ProjectRecord::kMagic.begin(), ProjectRecord::kMagic.end(), trailer.begin())) {
        stopMessage(2000);
        return false;
    }
    if (version >= 0x0303) {
        stopMessage(2003);
        return false;
    }
    if (version < ProjectRecord::kVersion) {
        const auto answer = messages_.showApplicationMessage(
            2004, {MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes});
        return answer == MessageAnswer::Yes;
    }
    return true;
}

// The application's own message box: its name as caption, stop icon, OK and Cancel.
void ProjectReader::stopMessage(std::uint16_t textId) {
    messages_.showApplicationMessage(textId, {MessageButtons::OkCancel, MessageIcon::Error});
}

void ProjectReader::reject() {
    host_.selectProjectPart(record_.partIndex, false);
}

} // namespace halden
