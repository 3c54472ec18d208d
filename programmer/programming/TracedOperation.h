#pragma once

#include "common/TraceLog.h"
#include "programmer/programming/HeldMessages.h"
#include "programmer/programming/TraceRecord.h"

#include <chrono>
#include <string>

namespace halden {

class AdapterDirectory;
class AdapterLink;
struct LinkRecord;
struct PartRecord;

// One adapter operation with its trace-log line, for the window and the command line
// alike: open() the log before the adapter is touched, show the operation's messages
// through messages() (held until the line is on the disk), watch() the link, fill
// record() with what the operation knows, and finish(). Without a log path nothing is
// written, and the messages still wait for finish.
class TracedOperation {
public:
    TracedOperation(std::string operation, MessageService& messages);

    // Opens the log for appending when path is not empty. Empty on success, otherwise
    // why not: the operation must then not touch the adapter.
    std::string open(const std::string& path);
    const std::string& logPath() const { return log_.path(); }

    MessageService& messages() { return held_; }
    TraceRecord& record() { return record_; }
    // The part's name, chip ID and option bytes.
    void tracePart(const PartRecord& part);
    // Takes the adapter's path and firmware from the link's records as they come; the
    // directory (may be null) says which adapter is open.
    void note(const LinkRecord& linkRecord, const AdapterDirectory* directory);

    // Writes the line (result; the last message shown, or else a message the caller put
    // in the record, or else what failed on the link; on failure the detail; the time taken)
    // and lets the held messages out. Empty, or why the line could not be written. The
    // detail of a failure is the caller's when it set one, else the message it put in the
    // record, else failureDetail(link).
    std::string finish(bool ok, const AdapterLink* link);

    // What failed, in one line for a reader of the log: the step and the command of the
    // link's first failure ("erasing the chip: CMD_ERASE_CHIP (0x0D) failed: ..."); when
    // nothing failed on the link, the step the operation ended after.
    static std::string failureDetail(const AdapterLink* link);
    bool anyShown() const { return held_.anyShown(); }

private:
    HeldMessages held_;
    TraceLog log_;
    TraceRecord record_;
    std::chrono::steady_clock::time_point started_;
};

} // namespace halden
