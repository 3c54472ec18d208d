#include "cli/AdapterContext.h"
#include "cli/BoundLink.h"

#include "adapter/LinkLibraryFile.h"
#include "adapter/LinkLibraryLoader.h"
#include "cli/CliContext.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "common/SystemError.h"
#include "common/Unicode.h"
#include "programmer/catalogue/PartRecord.h"

#include <filesystem>

namespace halden {

AdapterContext::AdapterContext(CliContext& context, AdapterOptions options, std::string operation)
    : session_(context.session()), err_(context.err), verbose_(context.verbose),
      options_(std::move(options)), traced_(std::move(operation), session_.messages()),
      ui_(heldErr_, session_.text()), progress_(context.err, context.terminal) {}

AdapterContext::~AdapterContext() = default;

bool AdapterContext::loadLibrary(LinkLibrary& library, std::ostream& err) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto loaded = LinkLibraryLoader::load(self.parent_path().string(), library);
    if (loaded.code == 0) {
        return true;
    }
    err << "halden: cannot use the link library " << loaded.path << ": ";
    if (loaded.code == LinkLibraryFile::kTooOld) {
        err << "This version of dll is not correspond to the application !";
    } else if (loaded.code == LinkLibraryLoader::kMissingExport) {
        err << "it does not export \"" << loaded.missingExport << '"';
    } else {
        err << SystemError::text(loaded.code);
    }
    err << '\n';
    return false;
}

bool AdapterContext::start() {
    if (const std::string problem = traced_.open(options_.logPath); !problem.empty()) {
        err_ << "halden " << trace().operation << ": cannot open the trace log " << options_.logPath
             << " for appending: " << problem << '\n';
        return false;
    }
    options_.chooseAdapter();
    trace().adapterPath = options_.adapterPath;
    bound_ = BoundLink::load(err_);
    if (!bound_) {
        return false;
    }
    bound_->link().setRecordSink([this](const LinkRecord& record) { noteRecord(record); });
    report_ = std::make_unique<LinkReport>(traced_.messages(), err_, verbose_);
    report_->watch(bound_->link());
    messages_ = std::make_unique<TextMessage>(*report_, session_.text());
    return true;
}

void AdapterContext::noteRecord(const LinkRecord& record) {
    if (verbose_) {
        // An open names the device the transactions go to (a hidraw node on USB).
        const std::string path = record.operation == LinkRecord::Operation::Open && record.ok
                                     ? bound_->directory().openPath()
                                     : std::string();
        err_ << "halden: link: " << record.text() << (path.empty() ? "" : " (" + path + ")")
             << '\n';
    }
    traced_.note(record, &bound_->directory());
}

void AdapterContext::tracePart(const PartRecord& record) {
    traced_.tracePart(record);
}

int AdapterContext::finish(bool ok, const std::string& reason) {
    const AdapterLink* link = bound_ ? &bound_->link() : nullptr;
    if (!reason.empty()) {
        trace().message = reason;
    } else if (!ui_.warning().empty()) {
        trace().message = ui_.warning();
    }
    if (!ok) {
        // The firmware warning is a message, not what failed.
        trace().detail = reason.empty() ? TracedOperation::failureDetail(link) : reason;
    }
    const std::string problem = traced_.finish(ok, link);
    err_ << heldErr_.str();
    if (!problem.empty()) {
        err_ << "halden " << trace().operation << ": cannot write the trace log "
             << traced_.logPath() << ": " << problem << '\n';
    }
    // Every failure ends with what failed, also after the system's own message, which
    // names no step and no command.
    if (!ok) {
        err_ << "halden: " << trace().detail << '\n';
    }
    return ok && problem.empty() ? HaldenCli::kSuccess : HaldenCli::kFailed;
}

} // namespace halden
