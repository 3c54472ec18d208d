#pragma once

#include "adapter/AdapterDirectory.h"
#include "adapter/AdapterLink.h"
#include "adapter/LinkLibrary.h"
#include "cli/AdapterOptions.h"
#include "cli/BoundLink.h"
#include "cli/ConsoleAdapterUi.h"
#include "cli/ConsoleProgress.h"
#include "cli/LinkReport.h"
#include "programmer/programming/TracedOperation.h"
#include "programmer/text/TextMessage.h"

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace halden {

struct CliContext;
class CliSession;
struct PartRecord;

// What every halden adapter command runs on: the trace log opened before anything
// else, the adapter chosen with --adapter, the link library beside halden, the link
// with its diagnostics, and the console's messages, progress and firmware warning.
// A command does start(), fills trace() with what it knows, runs its operation over
// link(), messages(), ui() and progress(), and returns finish(ok): the trace line is
// on the disk before the operation's messages come out.
class AdapterContext {
public:
    AdapterContext(CliContext& context, AdapterOptions options, std::string operation);
    ~AdapterContext();
    AdapterContext(const AdapterContext&) = delete;
    AdapterContext& operator=(const AdapterContext&) = delete;

    // The link library beside halden, checked and bound as the programmer does it; false
    // with the reason on err.
    static bool loadLibrary(LinkLibrary& library, std::ostream& err);

    // Opens the log and loads the link library. False when either fails (the reason is
    // on err); the adapter was not touched then, and the command exits with kFailed.
    bool start();

    AdapterLink& link() { return bound_->link(); }
    const AdapterDirectory& directory() const { return bound_->directory(); }
    const TextMessage& messages() const { return *messages_; }
    MessageService& messageService() { return *report_; }
    ConsoleAdapterUi& ui() { return ui_; }
    ConsoleProgress& progress() { return progress_; }
    TraceRecord& trace() { return traced_.record(); }

    // The part's name, chip ID and option bytes into the trace.
    void tracePart(const PartRecord& record);
    // Writes the trace line (result, the last message or what failed, adapter, time),
    // lets the messages out, and on failure ends with the halden: line of the trace's
    // detail: the step and the command that failed.
    // HaldenCli::kSuccess or kFailed; kFailed also when the line could not be written.
    // reason: what the command itself says of a failure (no "halden: " prefix); it is
    // then the trace's message and the halden: line.
    int finish(bool ok, const std::string& reason = {});

private:
    void noteRecord(const LinkRecord& record);

    CliSession& session_;
    std::ostream& err_;
    bool verbose_;
    AdapterOptions options_;
    TracedOperation traced_;
    // The firmware warning waits with the other messages for the trace line.
    std::ostringstream heldErr_;
    std::unique_ptr<BoundLink> bound_;
    std::unique_ptr<LinkReport> report_;
    std::unique_ptr<TextMessage> messages_;
    ConsoleAdapterUi ui_;
    ConsoleProgress progress_;
};

} // namespace halden
