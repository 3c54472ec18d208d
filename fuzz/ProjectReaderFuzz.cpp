// Project files from anywhere: the checks, the layout and the full read must never
// read outside the file, whatever its trailer claims.
#include "common/ConsoleMessageService.h"
#include "programmer/buffer/MemoryCodeBuffer.h"
#include "programmer/buffer/ProjectFile.h"
#include "programmer/core/ProgrammerCore.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halden;
    const std::span<const std::uint8_t> file(data, size);

    ProjectFile::CheckProjectFile(file);
    if (const auto layout = ProjectFile::locate(file)) {
        ProjectRecord record;
        record.ResetProjectRecord();
        ProjectFile::parseTrailer(file, *layout, record);
    }

    // The whole read as the command line runs it: the project's part applied directly,
    // an old file opened.
    std::ostringstream sink;
    ConsoleMessageService messages(sink);
    messages.setAnswer(2004, MessageAnswer::Yes);
    MemoryCodeBuffer buffer;
    ProgrammerCore core({messages, buffer});
    core.applyPart(36);
    core.readProject("fuzz.qpf", file);
    return 0;
}
