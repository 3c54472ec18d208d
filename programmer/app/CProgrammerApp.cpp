#include "programmer/app/CProgrammerApp.h"

#include "adapter/LinkLibraryFile.h"
#include "adapter/LinkLibraryLoader.h"
#include "common/InstanceLockFolder.h"
#include "common/MessageService.h"
#include "common/SystemError.h"
#include "common/Unicode.h"
#include "common/qt/QtSettingsStore.h"
#include "programmer/app/CProgrammerDlg.h"
#include "programmer/app/ProgrammerUpdateCheck.h"
#include "programmer/text/LanguageSetting.h"
#include "programmer/text/ProgrammerResources.h"

#include <QDir>

namespace halden {

namespace {

constexpr MessageStyle kErrorStyle{MessageButtons::Ok, MessageIcon::Error};

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

CProgrammerApp::CProgrammerApp(MessageService& messages)
    : messages_(messages), tables_(ProgrammerResources::directory()), text_(tables_) {}

CProgrammerApp::~CProgrammerApp() {
    ExitInstance();
}

void CProgrammerApp::fail(std::u16string_view text, std::u16string_view caption) {
    messages_.show(text, caption, kErrorStyle);
    failed_ = true;
}

void CProgrammerApp::ShowSystemError(std::uint32_t code) {
    fail(Unicode::toUtf16(SystemError::text(code)), Unicode::toUtf16(SystemError::caption(code)));
}

bool CProgrammerApp::InitInstance(const std::string& programPath,
                                  const std::vector<std::u16string>& arguments) {
    const auto slash = programPath.find_last_of('/');
    if (slash == std::string::npos) {
        ShowSystemError(SystemError::kPathNotFound);
        return false;
    }
    const std::string folder = programPath.substr(0, slash);
    applicationName_ = baseName(programPath);
    if (!loadHexEdit(folder) || !loadLinkLibrary(folder)) {
        return false;
    }
    settings_ = std::make_unique<QtSettingsStore>(QString::fromStdString(applicationName_));
    languageIndex_ = LanguageSetting::read(*settings_);
    text_.setLanguageIndex(languageIndex_);
    if (!takeSingleInstance()) {
        return false;
    }
    runStartupUpdateCheck(programPath);
    if (!readCommandLine(programPath, arguments)) {
        return false;
    }
    ProgrammerContext context{messages_, *settings_, &linkLibrary_, hexEdit_.windowClass(),
                              commandLine_};
    context.programPath = programPath;
    context.applicationName = Unicode::toUtf16(applicationName_);
    context.languageIndex = languageIndex_;
    CProgrammerDlg dialog(context);
    dialog.exec();
    return false;
}

bool CProgrammerApp::loadHexEdit(const std::string& folder) {
    const std::uint32_t error = hexEdit_.load(folder + "/" + kHexEditFileName);
    if (error != 0) {
        ShowSystemError(error);
        return false;
    }
    return true;
}

bool CProgrammerApp::loadLinkLibrary(const std::string& folder) {
    const auto loaded = LinkLibraryLoader::load(folder, linkLibrary_);
    switch (loaded.code) {
    case 0:
        return true;
    case LinkLibraryFile::kTooOld:
        fail(text_.text(2007), text_.text(1101));
        return false;
    case LinkLibraryLoader::kMissingExport:
        fail(Unicode::toUtf16(loaded.path + " does not export \"" + loaded.missingExport +
                              "\". The link library cannot be used."),
             text_.text(1101));
        return false;
    default:
        ShowSystemError(loaded.code);
        return false;
    }
}

// The lock is the user's own, as the named mutex is the session's: another user's
// running programmer must not keep this one from starting.
bool CProgrammerApp::takeSingleInstance() {
    const std::string folder = InstanceLockFolder::find();
    if (!folder.empty()) {
        instanceLock_ = std::make_unique<QLockFile>(
            QDir(QString::fromStdString(folder)).filePath(QString(kMutexName) + ".lock"));
        instanceLock_->setStaleLockTime(0);
    }
    if (instanceLock_ == nullptr || !instanceLock_->tryLock(0)) {
        instanceLock_.reset();
        fail(u"There is another application running", u"Error");
        return false;
    }
    return true;
}

void CProgrammerApp::runStartupUpdateCheck(const std::string& programPath) {
    const int checkVersion = settings_->readInt("Settings", "CheckVersion", 2);
    if (checkVersion == 0) {
        return;
    }
    if (checkVersion == 2) {
        settings_->writeInt("Settings", "CheckVersion", 1);
    }
    // Before the window exists, so its messages have no owner; bounded in time, so a
    // server that never answers cannot keep the window from showing.
    ProgrammerUpdateCheck::run(UpdateCheck::Mode::Startup, messages_, *settings_, programPath);
}

bool CProgrammerApp::readCommandLine(const std::string& programPath,
                                     const std::vector<std::u16string>& arguments) {
    const std::u16string raw = CommandLine::rawFromArguments(arguments);
    commandLine_ =
        CommandLine::parse(raw, static_cast<int>(arguments.size()), Unicode::toUtf16(programPath));
    if (commandLine_.pathTooLong) {
        messages_.show(u"The path of the file is too long !", Unicode::toUtf16(applicationName_),
                       {MessageButtons::Ok, MessageIcon::None});
        failed_ = true;
        return false;
    }
    return true;
}

int CProgrammerApp::ExitInstance() {
    hexEdit_.unload();
    if (instanceLock_) {
        instanceLock_->unlock();
        instanceLock_.reset();
    }
    linkLibrary_.unload();
    return 0;
}

} // namespace halden
