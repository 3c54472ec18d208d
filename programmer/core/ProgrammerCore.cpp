#include "programmer/core/ProgrammerCore.h"

#include "common/SettingsStore.h"
#include "programmer/buffer/ProjectSaver.h"
#include "programmer/text/ProgrammerResources.h"

namespace halden {

ProgrammerCore::ProgrammerCore(Ports ports)
    : code_(ports.code), settings_(ports.settings),
      clock_(ports.clock != nullptr ? *ports.clock : systemClock_),
      languageIndex_(ports.languageIndex), tables_(ProgrammerResources::directory()),
      text_(tables_), textMessage_(ports.messages, text_, std::move(ports.applicationName)),
      catalogue_(tables_), part_(catalogue_), target_(*this),
      loader_(catalogue_, part_.record(), project_, target_, textMessage_), directHost_(*this),
      reader_(catalogue_, part_, project_, loader_, textMessage_,
              ports.partHost != nullptr ? *ports.partHost : directHost_) {
    text_.setLanguageIndex(languageIndex_);
    project_.ResetProjectRecord();
    part_.setApplyHook([this] { project_.ResetProjectRecord(); });
    loader_.setAreaChooser(ports.areaChooser);
    loader_.setProjectReader(
        [this](const std::string& path, const std::vector<std::uint8_t>& data) {
            return readProject(path, data);
        });
}

bool ProgrammerCore::applyPart(std::uint32_t partIndex) {
    if (!part_.apply(partIndex, languageIndex_)) {
        return false;
    }
    code_.clear();
    code_.setCapacity(part_.record().flashSize);
    codeChanged();
    return true;
}

void ProgrammerCore::applyProjectPart(std::uint16_t partIndex) {
    forceNextApply();
    applyPart(catalogue_.partName(partIndex) ? partIndex : 0);
}

ImageLoader::Outcome ProgrammerCore::loadFile(const std::string& path, bool interactive) {
    return loader_.LoadImageFile(path, interactive);
}

ImageLoader::Outcome ProgrammerCore::readProject(const std::string& path,
                                                 std::span<const std::uint8_t> data) {
    lastProjectResult_ = reader_.ReadProject(path, data);
    return outcomeOf(*lastProjectResult_);
}

// A project that loaded replaced part, options and code; every other result was told
// to the user (a project without code is rejected silently, its part applied).
ImageLoader::Outcome ProgrammerCore::outcomeOf(ProjectReader::Result result) {
    return result == ProjectReader::Result::Loaded ? ImageLoader::Outcome::Project
                                                   : ImageLoader::Outcome::Refused;
}

void ProgrammerCore::codeChanged() {
    PartRecord& record = part_.record();
    record.codeSize = static_cast<std::uint32_t>(code_.length());
    record.codeChecksum = static_cast<std::uint16_t>(code_.sum());
}

std::vector<std::uint8_t> ProgrammerCore::codeBytes() const {
    return code_.codeBytes(code_.length());
}

std::string ProgrammerCore::saveProject(const std::string& path) {
    return ProjectSaver::save(path, codeBytes(), part_, project_, clock_);
}

void ProgrammerCore::saveOnClose(std::uint32_t selectedPartIndex) {
    if (settings_ != nullptr) {
        part_.save(*settings_, selectedPartIndex);
    } else {
        part_.build();
    }
}

std::vector<std::uint8_t> ProgrammerCore::RecordingTarget::codeBytes(std::size_t count) const {
    return core_.code_.codeBytes(count);
}

void ProgrammerCore::RecordingTarget::display(const std::string& path,
                                              std::span<const std::uint8_t> image) {
    core_.code_.display(path, image);
    core_.codeChanged();
}

} // namespace halden
