#pragma once

#include "common/Clock.h"
#include "programmer/buffer/CodeBuffer.h"
#include "programmer/buffer/ImageLoader.h"
#include "programmer/buffer/ProjectReader.h"
#include "programmer/buffer/ProjectRecord.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/catalogue/PartSettings.h"
#include "programmer/text/KeyedTables.h"
#include "programmer/text/TextMessage.h"
#include "programmer/text/UiText.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halden {

class MessageService;
class SettingsStore;

// The programmer without its window: the text tables, the catalogue, the applied part
// with its option boxes, the part and project records, the image loader and the
// project reader, wired once. The main window, the command line and the tests build
// one from their ports; nothing else builds these pieces together.
class ProgrammerCore {
public:
    // What the core reaches the world through.
    struct Ports {
        MessageService& messages;
        CodeBuffer& code;
        // The series and part lists a project read switches; null: the project's part
        // is applied directly (applyProjectPart).
        ProjectPartHost* partHost = nullptr;
        // The area dialog of interactive loads; null: loads keep the load address.
        AreaChooser* areaChooser = nullptr;
        // Where the part is kept at close; null: nowhere.
        SettingsStore* settings = nullptr;
        // Save times and project keys; null: the machine's clock.
        const Clock* clock = nullptr;
        // The caption of the application's own messages.
        std::u16string applicationName = u"Halden_Programmer";
        std::uint16_t languageIndex = 0;
    };

    explicit ProgrammerCore(Ports ports);
    ProgrammerCore(const ProgrammerCore&) = delete;
    ProgrammerCore& operator=(const ProgrammerCore&) = delete;

    const UiText& text() const { return text_; }
    const TextMessage& textMessage() const { return textMessage_; }
    MessageService& messages() const { return textMessage_.messages(); }
    const ChipCatalogue& catalogue() const { return catalogue_; }
    PartSettings& part() { return part_; }
    const PartSettings& part() const { return part_; }
    PartRecord& partRecord() { return part_.record(); }
    const PartRecord& partRecord() const { return part_.record(); }
    ProjectRecord& project() { return project_; }
    const ProjectRecord& project() const { return project_; }
    ImageLoader& loader() { return loader_; }
    const ImageLoader& loader() const { return loader_; }
    // Set while an adapter operation runs, so no second one starts inside it.
    bool& busy() { return busy_; }
    bool busy() const { return busy_; }

    void setAreaChooser(AreaChooser* chooser) { loader_.setAreaChooser(chooser); }

    // Applies the part unless it is the one applied (see forceNextApply): the project
    // record is reset, the record filled, the boxes labelled, and the code buffer
    // emptied and sized to the part's flash. True when the part was applied.
    bool applyPart(std::uint32_t partIndex);
    // Makes the next applyPart run even for the part applied.
    void forceNextApply() { part_.forceNextApply(); }
    // A project's part where there are no lists: applied even if it is the one applied;
    // a part the catalogue does not hold leaves no list item selected, so part 0.
    void applyProjectPart(std::uint16_t partIndex);

    // Loads one file as Load File does (interactive: the area is asked for).
    ImageLoader::Outcome loadFile(const std::string& path, bool interactive);
    // Reads a project file's content (the .qpf branch of loadFile).
    ImageLoader::Outcome readProject(const std::string& path, std::span<const std::uint8_t> data);
    // What the last project read came to; nothing before the first one.
    std::optional<ProjectReader::Result> lastProjectResult() const { return lastProjectResult_; }
    // What a project read means for the load that handed the file over.
    static ImageLoader::Outcome outcomeOf(ProjectReader::Result result);

    // The code buffer changed (a load, an edit, emptied): the part record's code size
    // and checksum follow it. The only writer of the two.
    void codeChanged();
    // The whole code buffer.
    std::vector<std::uint8_t> codeBytes() const;

    // Save project: the code buffer, the option bytes as the boxes build them and the
    // project record. Empty on success, otherwise what went wrong.
    std::string saveProject(const std::string& path);
    // The close path: builds the option bytes and keeps part and option bytes in the
    // settings ("BodyID" = the selected list item's part index, "pOR").
    void saveOnClose(std::uint32_t selectedPartIndex);

private:
    // The loader's view of the code buffer: every image it shows is recorded at once,
    // also in a buffer that does not tell of its changes.
    class RecordingTarget : public ImageTarget {
    public:
        explicit RecordingTarget(ProgrammerCore& core) : core_(core) {}
        std::vector<std::uint8_t> codeBytes(std::size_t count) const override;
        void display(const std::string& path, std::span<const std::uint8_t> image) override;

    private:
        ProgrammerCore& core_;
    };

    // Without lists: the project's part is applied directly.
    class DirectPartHost : public ProjectPartHost {
    public:
        explicit DirectPartHost(ProgrammerCore& core) : core_(core) {}
        void selectProjectPart(std::uint16_t partIndex, bool) override {
            core_.applyProjectPart(partIndex);
        }
        void optionBoxesRestored() override {}

    private:
        ProgrammerCore& core_;
    };

    CodeBuffer& code_;
    SettingsStore* settings_;
    SystemClock systemClock_;
    const Clock& clock_;
    std::uint16_t languageIndex_;
    KeyedTables tables_;
    UiText text_;
    TextMessage textMessage_;
    ChipCatalogue catalogue_;
    PartSettings part_;
    ProjectRecord project_;
    RecordingTarget target_;
    ImageLoader loader_;
    DirectPartHost directHost_;
    ProjectReader reader_;
    std::optional<ProjectReader::Result> lastProjectResult_;
    bool busy_ = false;
};

} // namespace halden
