#include "programmer/programming/TracedOperation.h"

#include "adapter/AdapterDirectory.h"
#include "adapter/AdapterLink.h"
#include "adapter/wire/LinkResult.h"
#include "common/Unicode.h"
#include "programmer/catalogue/PartRecord.h"

#include <unistd.h>

namespace halden {

namespace {

std::string hostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

} // namespace

TracedOperation::TracedOperation(std::string operation, MessageService& messages)
    : held_(messages), started_(std::chrono::steady_clock::now()) {
    record_.operation = std::move(operation);
    record_.host = hostName();
}

std::string TracedOperation::open(const std::string& path) {
    started_ = std::chrono::steady_clock::now();
    record_.time = std::chrono::system_clock::now();
    return path.empty() ? std::string() : log_.open(path);
}

void TracedOperation::tracePart(const PartRecord& part) {
    record_.part = Unicode::toUtf8(part.partName);
    record_.chipId = part.chipId;
    record_.optionBytes.emplace(part.optionBytes.begin(),
                                part.optionBytes.begin() + part.optionCount);
}

void TracedOperation::note(const LinkRecord& linkRecord, const AdapterDirectory* directory) {
    if (!linkRecord.ok || directory == nullptr) {
        return;
    }
    // While the adapter is open the library can say which one it is.
    if (linkRecord.operation == LinkRecord::Operation::Open) {
        if (std::string path = directory->openPath(); !path.empty()) {
            record_.adapterPath = std::move(path);
        }
    } else if (linkRecord.operation == LinkRecord::Operation::FirmwareQuery) {
        record_.adapterFirmware = directory->firmwareVersion().value_or("");
    }
}

std::string TracedOperation::failureDetail(const AdapterLink* link) {
    if (link == nullptr) {
        return "the operation failed";
    }
    if (const auto& failure = link->firstFailure()) {
        // The adapter held by another process: opening is all that was tried, and the
        // sentence says it.
        if (failure->result == LINK_IN_USE) {
            return failure->failureLine();
        }
        return failure->step() + ": " + failure->failureLine();
    }
    if (const auto& last = link->lastWork()) {
        return "the operation failed after " + last->step() + " (" + last->what + ")";
    }
    return "the operation failed before the adapter was reached";
}

std::string TracedOperation::finish(bool ok, const AdapterLink* link) {
    record_.ok = ok;
    if (!ok && record_.detail.empty()) {
        record_.detail = record_.message.empty() ? failureDetail(link) : record_.message;
    }
    if (held_.anyShown()) {
        record_.message = Unicode::toUtf8(held_.lastText());
    } else if (!ok && record_.message.empty()) {
        const auto* failure = link && link->firstFailure() ? &*link->firstFailure() : nullptr;
        record_.message = failure ? failure->failureLine() : "the operation failed";
    }
    record_.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    std::string problem;
    if (log_.isOpen()) {
        problem = log_.append(record_.jsonLine());
    }
    held_.release();
    return problem;
}

} // namespace halden
