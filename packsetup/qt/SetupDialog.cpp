#include "packsetup/qt/SetupDialog.h"

#include "adapter/AdapterWatch.h"
#include "adapter/FirmwareImage.h"
#include "adapter/LinkLibrary.h"
#include "common/MessageService.h"
#include "common/qt/DialogBuilder.h"
#include "packsetup/KeilDriverSetup.h"
#include "packsetup/SetupDialogTemplate.h"
#include "packsetup/qt/ProgressStrip.h"
#include "packsetup/qt/SetupAboutDialog.h"
#include "packsetup/qt/SetupImages.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimerEvent>

#include <algorithm>
#include <thread>

namespace halden {

namespace {

constexpr int kStatusBarId = 0xE801;
constexpr int kStatusBarMinimumHeight = 24;
constexpr int kPaneZeroShortfall = 100;

QString text(const char16_t* value) {
    return QString::fromStdU16String(value);
}

} // namespace

SetupDialog::SetupDialog(SetupContext& context, QWidget* parent)
    : QDialog(parent), context_(context),
      firmwareSession_(adapterLink_, kUpgradeEventName, [this](std::function<void()> call) {
          QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
      }) {
    SetupImages::registerOnce();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogBuilder::build(*this, SetupDialogTemplate::make());
    setWindowIcon(QIcon(SetupDialogTemplate::kIcon));
    progressStrip_ = new ProgressStrip(*control<QLabel>(SetupDialogTemplate::kProgressStrip));
    control<QLabel>(SetupDialogTemplate::kDescription)->setWordWrap(true);
    const std::pair<int, void (SetupDialog::*)()> commands[] = {
        {SetupDialogTemplate::kBrowse, &SetupDialog::OnBrowse},
        {SetupDialogTemplate::kInstall, &SetupDialog::OnInstall},
        {SetupDialogTemplate::kUninstall, &SetupDialog::OnUninstall},
        {SetupDialogTemplate::kUpgradeFirmware, &SetupDialog::OnUpgradeFirmware},
    };
    for (const auto& [id, handler] : commands) {
        connect(control<QPushButton>(id), &QPushButton::clicked, this, handler);
    }
    // Exit ends the window as OK does.
    connect(control<QPushButton>(SetupDialogTemplate::kExit), &QPushButton::clicked, this,
            &QDialog::accept);
    // Keys reach the focused control before the window; the filter sees them first.
    qApp->installEventFilter(this);
    OnInitDialog();
}

SetupDialog::~SetupDialog() {
    qApp->removeEventFilter(this);
}

QWidget* SetupDialog::control(int id) const {
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QLabel* SetupDialog::pane(int index) const {
    return statusBar_->findChild<QLabel*>("pane" + QString::number(index));
}

void SetupDialog::OnInitDialog() {
    buildSystemMenu();
    createStatusBar();
    control<QLabel>(SetupDialogTemplate::kDescription)->setText(text(kDescription));
    pane(1)->setText(text(kVersionText));
    control(SetupDialogTemplate::kInstall)->setEnabled(false);
    control(SetupDialogTemplate::kUninstall)->setEnabled(false);
    bindLinkLibrary();
}

// The title bar's system menu is the window manager's here, so the added entry lives in
// the window's context menu, as in the programmer.
void SetupDialog::buildSystemMenu() {
    systemMenu_ = new QMenu(this);
    systemMenu_->setObjectName("systemMenu");
    const QString aboutText = text(kAboutMenuText);
    if (aboutText.isEmpty()) {
        return;
    }
    systemMenu_->addSeparator();
    systemMenu_->addAction(aboutText, this, [this] { OnSysCommand(kSysCommandAbout); });
}

void SetupDialog::contextMenuEvent(QContextMenuEvent* event) {
    systemMenu_->popup(event->globalPos());
}

void SetupDialog::OnSysCommand(int id) {
    if ((id & 0xFFF0) == kSysCommandAbout) {
        SetupAboutDialog about(this);
        about.exec();
    }
}

// Pane 0 carries transient messages, pane 1 the version; the bar sits at the bottom of
// the window, at least 24 pixels high.
void SetupDialog::createStatusBar() {
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QString::number(kStatusBarId));
    statusBar_->setSizeGripEnabled(false);
    for (int index = 0; index < 2; ++index) {
        auto* label = new QLabel(statusBar_);
        label->setObjectName("pane" + QString::number(index));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (index == 0) {
            label->setFixedWidth(std::max(0, width() - kPaneZeroShortfall));
        }
        statusBar_->addWidget(label, index == 0 ? 0 : 1);
    }
    const int height = std::max(kStatusBarMinimumHeight, statusBar_->sizeHint().height());
    statusBar_->setGeometry(0, this->height() - height, width(), height);
    pane(0)->clear();
    pane(1)->clear();
}

// The link library's entry points and the device watch exist only when the library lies
// beside the program.
void SetupDialog::bindLinkLibrary() {
    if (context_.linkLibrary == nullptr || !context_.linkLibrary->loaded()) {
        return;
    }
    linkExports_ = context_.linkLibrary->bindExports(LinkExports::kSetupNames);
    firmwareSession_.follow(AdapterWatch::forLibrary(*context_.linkLibrary));
}

bool SetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (widget != nullptr && widget->window() == this &&
            (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// One message at a time: a new one restarts the period.
void SetupDialog::showStatusMessage(const QString& message) {
    pane(0)->setText(message);
    if (statusTimer_ != 0) {
        killTimer(statusTimer_);
    }
    // Precise, so the message stays its full period.
    statusTimer_ = startTimer(kStatusMessagePeriod, Qt::PreciseTimer);
}

void SetupDialog::timerEvent(QTimerEvent* event) {
    if (statusTimer_ != 0 && event->timerId() == statusTimer_) {
        pane(0)->clear();
        killTimer(statusTimer_);
        statusTimer_ = 0;
    }
    QDialog::timerEvent(event);
}

std::string SetupDialog::folderText() const {
    return control<QLineEdit>(SetupDialogTemplate::kFolderEdit)->text().toStdString();
}

void SetupDialog::OnBrowse() {
    using Kind = FolderChooser::Choice::Kind;
    pane(0)->clear();
    auto* edit = control<QLineEdit>(SetupDialogTemplate::kFolderEdit);
    const FolderChooser::Choice choice = folderChooser_->chooseFolder(kBrowseTitle);
    switch (choice.kind) {
    case Kind::Cancelled:
        return;
    case Kind::NoPath:
        context_.messages.show(kNoDirectory, SetupDialogTemplate::kCaption,
                               {MessageButtons::Ok, MessageIcon::Error});
        edit->clear();
        return;
    case Kind::Chosen:
        break;
    }
    if (choice.path.empty()) {
        edit->clear();
        return;
    }
    edit->setText(QString::fromStdString(choice.path));
    std::string toolsIni;
    const bool found = KeilDriverSetup(context_.programFolder, context_.desktop)
                           .LocateToolsIni(folderText(), toolsIni) == 0;
    control(SetupDialogTemplate::kInstall)->setEnabled(found);
    control(SetupDialogTemplate::kUninstall)->setEnabled(found);
    if (!found) {
        edit->clear();
        showStatusMessage(text(kNoToolsIni));
    }
}

// Install and Uninstall act on the edit box's text as it stands. A driver registered but
// not copied for want of its file is said in pane 0, as Browse says a missing TOOLS.INI.
void SetupDialog::OnInstall() {
    const auto outcome =
        KeilDriverSetup(context_.programFolder, context_.desktop).Install(folderText());
    if (outcome.driverSourceMissing) {
        showStatusMessage(text(kNoDriverFile));
    }
}

void SetupDialog::OnUninstall() {
    KeilDriverSetup(context_.programFolder, context_.desktop).Uninstall(folderText());
}

void SetupDialog::OnUpgradeFirmware() {
    if (!linkBound()) {
        context_.messages.show(kNoLinkLibrary, SetupDialogTemplate::kCaption,
                               {MessageButtons::Ok, MessageIcon::Warning});
        return;
    }
    if (upgradeInProgress()) {
        return; // one upgrade at a time; the running one owns the link
    }
    FirmwareUpgradeSession::StartStep startStep;
    if (adapterLink_.openProgrammer() == 0) {
        startStep = FirmwareUpgradeWorker::writtenSwitch();
    } else if (adapterLink_.openBootLoader() == 0) {
        // Left there by an upgrade that did not finish.
        startStep = FirmwareUpgradeWorker::alreadyInBootLoader();
    } else {
        return; // no adapter: nothing to say
    }
    // A library without its image could not finish the download: the adapter is not sent
    // to its boot loader for nothing.
    auto image = FirmwareImage::fromLinkLibrary(context_.linkLibrary->path());
    if (!image) {
        adapterLink_.close();
        return;
    }
    FirmwareUpgradeSession::Handlers handlers;
    handlers.progress = [this](int percent) { progressStrip_->DrawProgress(percent); };
    handlers.result = [this](FirmwareUpgradeSession::Result result) { OnFirmwareResult(result); };
    handlers.stopped = [this](FirmwareUpgradeSession::Step step, const std::string&) {
        OnFirmwareStopped(step);
    };
    firmwareSession_.start(std::move(*image), std::move(startStep), std::move(handlers));
}

void SetupDialog::OnFirmwareResult(FirmwareUpgradeSession::Result result) {
    const auto shown = FirmwareUpgradeSession::resultText(result);
    if (result == FirmwareUpgradeSession::Result::Done) {
        auto* strip = control<QLabel>(SetupDialogTemplate::kProgressStrip);
        strip->clear();
        strip->repaint();
        // The window does not respond through the pause.
        std::this_thread::sleep_for(firmwareSession_.timing().donePause);
    }
    context_.messages.show(shown.text, shown.caption, shown.style);
}

// The worker stopped before the Restart. A download that did not finish left the adapter
// in its boot loader, where the next press finds it; the user is told so. A refused
// switch or a boot loader not found show nothing. A refused switch left the adapter
// open, and it is closed here, so a later press can try again.
void SetupDialog::OnFirmwareStopped(FirmwareUpgradeSession::Step step) {
    if (step == FirmwareUpgradeSession::Step::Switch && adapterLink_.isOpen()) {
        adapterLink_.close();
    }
    if (step == FirmwareUpgradeSession::Step::Download) {
        context_.messages.show(FirmwareUpgradeSession::stoppedText(step, kRetryAfterReplug),
                               FirmwareUpgradeSession::kErrorCaption,
                               {MessageButtons::Ok, MessageIcon::Error});
    }
}

// The boot loader leaving the bus ends the worker's wait after its Restart report.
void SetupDialog::OnDeviceRemoval(const std::string& path) {
    firmwareSession_.removed(path);
}

} // namespace halden
