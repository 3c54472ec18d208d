#pragma once

#include "programmer/buffer/ProjectFile.h"

#include <cstdint>
#include <span>
#include <string>

namespace halden {

class ChipCatalogue;
class ImageLoader;
class PartSettings;
class TextMessage;

// The window's side of reading a project: its series and part lists.
class ProjectPartHost {
public:
    virtual ~ProjectPartHost() = default;
    // Selects the series of the part (when selectSeries) and the part list item carrying
    // partIndex (none when no item does), then applies the selected part even if it is
    // the one applied.
    virtual void selectProjectPart(std::uint16_t partIndex, bool selectSeries) = 0;
    // The option boxes were labelled and set from restored option bytes.
    virtual void optionBoxesRestored() = 0;
};

// Reads a project file: checks it, switches to its part, restores the option bytes and
// shows its code.
class ProjectReader {
public:
    enum class Result { Loaded, Incompatible, Rejected, Unsupported };

    ProjectReader(const ChipCatalogue& catalogue, PartSettings& part, ProjectRecord& record,
                  ImageLoader& loader, const TextMessage& messages, ProjectPartHost& host)
        : catalogue_(catalogue), part_(part), record_(record), loader_(loader), messages_(messages),
          host_(host) {}

    Result ReadProject(const std::string& path, std::span<const std::uint8_t> file);

private:
    bool checkHeader(const ProjectFile::Layout& layout, std::span<const std::uint8_t> file);
    void reject();
    void stopMessage(std::uint16_t textId);

    const ChipCatalogue& catalogue_;
    PartSettings& part_;
    ProjectRecord& record_;
    ImageLoader& loader_;
    const TextMessage& messages_;
    ProjectPartHost& host_;
};

} // namespace halden
