// Project files from anywhere: the checks, the layout and the full read must never
// read outside the file, whatever its trailer claims.
#include "ChipCatalogue.h"
#include "ConsoleMessageService.h"
#include "ImageLoader.h"
#include "MemoryCodeBuffer.h"
#include "PartSettings.h"
#include "ProgrammerResources.h"
#include "ProjectFile.h"
#include "ProjectReader.h"
#include "TextMessage.h"

#include <sstream>

namespace {

using namespace halden;

// Applies the project's part directly, as the command line does.
class Host : public ProjectPartHost {
public:
    explicit Host(PartSettings& part) : part_(part) {}
    void selectProjectPart(std::uint16_t partIndex, bool) override {
        part_.forceNextApply();
        part_.apply(partIndex <= ChipCatalogue::kLastPartIndex ? partIndex : 0);
    }
    void optionBoxesRestored() override {}

private:
    PartSettings& part_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const KeyedTables tables(ProgrammerResources::directory());
    static const ChipCatalogue catalogue(tables);
    static const UiText text(tables);
    const std::span<const std::uint8_t> file(data, size);

    ProjectFile::CheckProjectFile(file);
    if (const auto layout = ProjectFile::locate(file)) {
        ProjectRecord record;
        record.ResetProjectRecord();
        ProjectFile::parseTrailer(file, *layout, record);
    }

    std::ostringstream sink;
    ConsoleMessageService messages(
        sink, [](std::u16string_view, MessageStyle) { return MessageAnswer::Yes; });
    const TextMessage textMessage(messages, text);
    static const PartSettings applied = [] {
        PartSettings settings(catalogue);
        settings.apply(36);
        return settings;
    }();
    PartSettings part = applied;
    ProjectRecord record;
    record.ResetProjectRecord();
    MemoryCodeBuffer buffer(part.record().flashSize);
    ImageLoader loader(catalogue, part.record(), record, buffer, textMessage);
    Host host(part);
    ProjectReader reader(catalogue, part, record, loader, textMessage, host);
    reader.ReadProject("fuzz.qpf", file);
    return 0;
}
