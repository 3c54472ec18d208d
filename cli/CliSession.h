#pragma once

#include "ChipCatalogue.h"
#include "ConsoleMessageService.h"
#include "KeyedTables.h"
#include "PartSettings.h"
#include "ProjectRecord.h"
#include "TextMessage.h"
#include "UiText.h"

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

    const UiText& text() const { return text_; }
    MessageService& messages() { return messages_; }
    const TextMessage& textMessage() const { return textMessage_; }
    // How the size warning ("File size is too large, ...") is answered, and how often
    // it was asked.
    void setSizeWarningAnswer(MessageAnswer answer) { sizeWarningAnswer_ = answer; }
    std::size_t sizeWarnings() const { return sizeWarnings_; }
    const ChipCatalogue& catalogue() const { return catalogue_; }
    PartSettings& part() { return part_; }
    ProjectRecord& project() { return project_; }

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
    KeyedTables tables_;
    UiText text_;
    ChipCatalogue catalogue_;
    PartSettings part_;
    ProjectRecord project_;
    ConsoleMessageService messages_;
    TextMessage textMessage_;
    MessageAnswer sizeWarningAnswer_ = MessageAnswer::Cancel;
    std::size_t sizeWarnings_ = 0;
};

} // namespace halden
