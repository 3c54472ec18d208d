#include "cli/AdapterContext.h"

#include "adapter/LinkLibraryFile.h"
#include "adapter/LinkLibraryLoader.h"
#include "cli/CliSession.h"
#include "cli/HaldenCli.h"
#include "common/SystemError.h"
#include "common/Unicode.h"
#include "programmer/catalogue/PartRecord.h"

#include <filesystem>
#include <unistd.h>

namespace halden {

namespace {

std::string hostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

} // namespace

AdapterContext::AdapterContext(CliSession& session, std::ostream& err, bool terminal, bool verbose,
                               AdapterOptions options, std::string operation)
    : session_(session), err_(err), verbose_(verbose), options_(std::move(options)),
      started_(std::chrono::steady_clock::now()), held_(session.messages()),
      ui_(err, session.text()), progress_(err, terminal) {
    trace_.operation = std::move(operation);
    trace_.host = hostName();
}

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
    started_ = std::chrono::steady_clock::now();
    trace_.time = std::chrono::system_clock::now();
    if (!options_.logPath.empty()) {
        if (const std::string problem = log_.open(options_.logPath); !problem.empty()) {
            err_ << "halden " << trace_.operation << ": cannot open the trace log "
                 << options_.logPath << " for appending: " << problem << '\n';
            return false;
        }
    }
    options_.chooseAdapter();
    trace_.adapterPath = options_.adapterPath;
    if (!loadLibrary(library_, err_)) {
        return false;
    }
    exports_ = library_.bindExports();
    link_ = std::make_unique<AdapterLink>(exports_);
    directory_ = std::make_unique<AdapterDirectory>(library_);
    link_->setRecordSink([this](const LinkRecord& record) { noteRecord(record); });
    report_ = std::make_unique<LinkReport>(held_, err_, verbose_);
    messages_ = std::make_unique<TextMessage>(*report_, session_.text());
    return true;
}

void AdapterContext::noteRecord(const LinkRecord& record) {
    if (verbose_) {
        err_ << "halden: link: " << record.text() << '\n';
    }
    if (!record.ok) {
        return;
    }
    // While the adapter is open the library can say which one it is.
    if (record.operation == LinkRecord::Operation::Open) {
        if (std::string path = directory_->openPath(); !path.empty()) {
            trace_.adapterPath = std::move(path);
        }
    } else if (record.operation == LinkRecord::Operation::FirmwareQuery) {
        trace_.adapterFirmware = directory_->firmwareVersion().value_or("");
    }
}

void AdapterContext::tracePart(const PartRecord& record) {
    trace_.part = Unicode::toUtf8(record.partName);
    trace_.chipId = record.chipId;
    trace_.optionBytes.emplace(record.optionBytes.begin(),
                               record.optionBytes.begin() + record.optionCount);
}

std::string AdapterContext::failureText() const {
    if (held_.anyShown()) {
        return Unicode::toUtf8(held_.lastText());
    }
    const auto& failure = link_ ? link_->firstFailure() : std::nullopt;
    return failure ? failure->failureLine() : std::string("the operation failed");
}

int AdapterContext::finish(bool ok) {
    trace_.ok = ok;
    trace_.message = ok ? Unicode::toUtf8(held_.lastText()) : failureText();
    trace_.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    bool logged = true;
    if (log_.isOpen()) {
        if (const std::string problem = log_.append(trace_.jsonLine()); !problem.empty()) {
            logged = false;
            held_.release();
            err_ << "halden " << trace_.operation << ": cannot write the trace log " << log_.path()
                 << ": " << problem << '\n';
        }
    }
    held_.release();
    if (!ok && report_ && link_) {
        report_->failed(*link_);
    }
    return ok && logged ? HaldenCli::kSuccess : HaldenCli::kFailed;
}

} // namespace halden
