#pragma once

#include "common/ConsoleMessageService.h"
#include "programmer/buffer/MemoryCodeBuffer.h"
#include "programmer/core/ProgrammerCore.h"

#include <ostream>
#include <string>
#include <vector>

namespace halden {

// What every halden subcommand works on: the programmer's tables and catalogue, and
// the current part with its option boxes, set up as the main window sets them up.
class CliSession {
public:
    // Messages go to err as "[caption] text" lines.
    explicit CliSession(std::ostream& err);

    ProgrammerCore& core() { return core_; }
    const UiText& text() const { return core_.text(); }
    MessageService& messages() { return messages_; }
    const TextMessage& textMessage() const { return core_.textMessage(); }
    // How the size warning ("File size is too large, ...") is answered, and how often
    // it was asked.
    void setSizeWarningAnswer(MessageAnswer answer) { messages_.setAnswer(kSizeWarning, answer); }
    std::size_t sizeWarnings() const { return messages_.shown(kSizeWarning); }
    const ChipCatalogue& catalogue() const { return core_.catalogue(); }
    PartSettings& part() { return core_.part(); }
    ProjectRecord& project() { return core_.project(); }
    // The code buffer the files load into.
    MemoryCodeBuffer& code() { return code_; }

    // Applies the named part (case ignored). False, with a message naming the valid
    // parts on err, for an unknown name.
    bool selectPart(const std::string& name, std::ostream& err);
    // Applies each "LABEL=on|off" to the box with that label (case ignored), then builds
    // the option bytes. False, with a message naming the valid labels, on a bad setting.
    bool applySettings(const std::vector<std::string>& settings, std::ostream& err);

    // "RQD-1, RQD-2, ..." and the labels of the current part's enabled boxes.
    std::string partNames() const;
    std::string boxLabels() const;

private:
    // The size warning's text ID.
    static constexpr std::uint16_t kSizeWarning = 1108;

    ConsoleMessageService messages_;
    MemoryCodeBuffer code_;
    ProgrammerCore core_;
};

} // namespace halden
