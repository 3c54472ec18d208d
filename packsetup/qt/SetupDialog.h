#pragma once

#include "adapter/AdapterLink.h"
#include "adapter/FirmwareUpgradeSession.h"
#include "adapter/LinkExports.h"
#include "packsetup/SetupContext.h"
#include "packsetup/qt/QtFolderChooser.h"

#include <QDialog>

#include <chrono>
#include <memory>
#include <string>

class QLabel;
class QMenu;
class QStatusBar;

namespace halden {

class ProgressStrip;

// The setup tool's window (template 102): the Keil MDK folder with Browse, Install and
// Uninstall, and the adapter firmware upgrade with its progress strip.
class SetupDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSysCommandAbout = 0x0010;
    static constexpr const char16_t* kAboutMenuText = u"&About PackSetup...";
    static constexpr const char16_t* kDescription =
        u"This program installs the Device Family Pack of M3 and modify the file \"tools.ini\" "
        u"in Keil MDK for M3_Tavro-Driver";
    static constexpr const char16_t* kVersionText = u"v1.2.0";
    static constexpr const char* kBrowseTitle = "Choose a folder where Keil MDK_ARM is installed";
    static constexpr const char16_t* kNoDirectory = u"Fail to get directory !";
    static constexpr const char16_t* kNoToolsIni = u"Can't find \"Tools.ini\" in this path !";
    static constexpr const char16_t* kNoDriverFile =
        u"Can't find \"M3_Tavro.dll\" beside PackSetup !";
    // The press of 1007 without the link library: nothing of it is bound.
    static constexpr const char16_t* kNoLinkLibrary =
        u"The Tavro firmware cannot be upgraded: the link library M3_Tavro.so is not in "
        u"PackSetup's folder.";
    static constexpr std::chrono::milliseconds kStatusMessagePeriod{2000};
    // The upgrade's event; the programmer names its own.
    static constexpr const char* kUpgradeEventName =
        "SetupCorvaneM3 {B3E7C1A4-5D29-4F86-9A0B-7C2E14D8F53B}";
    // How a download that did not finish is told, after "Unplug the Tavro and plug it
    // in again".
    static constexpr const char16_t* kRetryAfterReplug =
        u", then press \"Update Tavro Firmware for M3\" again.";

    explicit SetupDialog(SetupContext& context, QWidget* parent = nullptr);
    ~SetupDialog() override;

    // The control with that template ID, or null.
    QWidget* control(int id) const;
    template <typename T> T* control(int id) const { return qobject_cast<T*>(control(id)); }
    QStatusBar* statusBar() const { return statusBar_; }
    // The status bar's pane 0 (transient messages) or 1 (the version).
    QLabel* pane(int index) const;
    ProgressStrip& progressStrip() const { return *progressStrip_; }

    // The system menu's entries; here they live in the window's context menu.
    void OnSysCommand(int id);
    QMenu* systemMenu() const { return systemMenu_; }

    // Browse (1003): the folder browser through chooser (the desktop's by default).
    void OnBrowse();
    void setFolderChooser(FolderChooser* chooser) {
        folderChooser_ = chooser != nullptr ? chooser : &qtFolderChooser_;
    }
    void OnInstall();
    void OnUninstall();

    // Update Tavro Firmware for M3 (1007): an adapter in programmer mode is sent to its
    // boot loader, one found in its boot loader gets the download at once.
    void OnUpgradeFirmware();
    bool linkBound() const { return linkExports_.complete(LinkExports::kSetupNames); }
    const LinkExports& linkExports() const { return linkExports_; }
    bool watchingDevices() const { return firmwareSession_.watching(); }
    bool upgradeInProgress() const { return firmwareSession_.running(); }
    // The running upgrade's event; null between upgrades.
    const UpgradeEvent* upgradeEvent() const { return firmwareSession_.event(); }
    AdapterLink& adapterLink() { return adapterLink_; }
    // The waits of the upgrade and the pause before its success message; tests shorten them.
    using UpgradeTiming = FirmwareUpgradeSession::Timing;
    void setUpgradeTiming(const UpgradeTiming& timing) { firmwareSession_.setTiming(timing); }

    // A device removal, on the window's thread, as the session takes the watch's;
    // arrivals need nothing here.
    void OnDeviceRemoval(const std::string& path);

protected:
    // The keyboard filter: Escape and Enter do nothing anywhere in the window.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void buildSystemMenu();
    void createStatusBar();
    void bindLinkLibrary();
    void showStatusMessage(const QString& text);
    std::string folderText() const;
    void OnFirmwareResult(FirmwareUpgradeSession::Result result);
    void OnFirmwareStopped(FirmwareUpgradeSession::Step step);

    SetupContext& context_;
    QtFolderChooser qtFolderChooser_{*this};
    FolderChooser* folderChooser_ = &qtFolderChooser_;
    QStatusBar* statusBar_ = nullptr;
    ProgressStrip* progressStrip_ = nullptr;
    QMenu* systemMenu_ = nullptr;
    int statusTimer_ = 0;
    LinkExports linkExports_;
    AdapterLink adapterLink_{linkExports_};
    FirmwareUpgradeSession firmwareSession_;
};

} // namespace halden
