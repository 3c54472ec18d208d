// Project files from anywhere: the checks, the layout and the full read must never
// read outside the file, whatever its trailer claims.
#include "common/ConsoleMessageService.h"
#include "programmer/buffer/MemoryCodeBuffer.h"
#include "programmer/buffer/ProjectFile.h"
#include "programmer/core/ProgrammerCore.h"

#include <sstream>

namespace {

using namespace halden;

// The programmer as the command line runs it (the project's part applied directly, an old
// file opened), built once as one session that reads file after file. A read owes nothing
// to the one before it: it either only shows a message or first applies a part, which
// resets the project record, the option bytes and the code buffer.
struct Session {
    std::ostringstream sink;
    ConsoleMessageService messages{sink};
    MemoryCodeBuffer buffer;
    ProgrammerCore core{{messages, buffer}};

    Session() {
        messages.setAnswer(2004, MessageAnswer::Yes);
        core.applyPart(36);
    }

    void read(std::span<const std::uint8_t> file) {
        sink.str({});
        core.readProject("fuzz.qpf", file);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);

    ProjectFile::CheckProjectFile(file);
    if (const auto layout = ProjectFile::locate(file)) {
        ProjectRecord record;
        record.ResetProjectRecord();
        ProjectFile::parseTrailer(file, *layout, record);
    }

    static Session session;
    session.read(file);
    return 0;
}
