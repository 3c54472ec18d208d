#pragma once

#include "adapter/AdapterLink.h"
#include "adapter/FirmwareDownload.h"
#include "adapter/FirmwareUpgradeWorker.h"
#include "adapter/LinkExports.h"
#include "packsetup/QtFolderChooser.h"
#include "packsetup/SetupContext.h"

#include <QDialog>

#include <chrono>
#include <memory>
#include <string>

class QLabel;
class QMenu;
class QStatusBar;

namespace halden {

class HidDeviceListener;
class HidDeviceWatch;
class ProgressStrip;
class UpgradeEvent;

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
    // The press of 1007 without the link library: nothing of it is bound.
    static constexpr const char16_t* kNoLinkLibrary =
        u"The Tavro firmware cannot be upgraded: the link library M3_Tavro.so is not in "
        u"PackSetup's folder.";
    static constexpr std::chrono::milliseconds kStatusMessagePeriod{2000};
    // The upgrade's event; the programmer names its own.
    static constexpr const char* kUpgradeEventName =
        "SetupCorvaneM3 {B3E7C1A4-5D29-4F86-9A0B-7C2E14D8F53B}";

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

    // Update Tavro Firmware for M3 (1007).
    void OnUpgradeFirmware();
    bool linkBound() const { return linkExports_.complete(); }
    bool watchingDevices() const { return deviceWatch_ != nullptr; }
    bool upgradeInProgress() const { return upgradeInProgress_; }
    // The running upgrade's event; null between upgrades.
    const UpgradeEvent* upgradeEvent() const { return upgradeEvent_.get(); }
    AdapterLink& adapterLink() { return adapterLink_; }
    // The waits of the upgrade and the pause before its success message; tests shorten them.
    using UpgradeTiming = FirmwareUpgradeWorker::WindowTiming;
    void setUpgradeTiming(const UpgradeTiming& timing) { upgradeTiming_ = timing; }

    // Device arrivals and removals, on the window's thread.
    void OnDeviceArrival(const std::string& path);
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
    void OnFirmwareProgress(int percent);
    void OnFirmwareResult(FirmwareUpgradeWorker::Result result);
    void OnFirmwareStopped(FirmwareUpgradeWorker::Step step);
    void endUpgrade();

    SetupContext& context_;
    QtFolderChooser qtFolderChooser_{*this};
    FolderChooser* folderChooser_ = &qtFolderChooser_;
    QStatusBar* statusBar_ = nullptr;
    ProgressStrip* progressStrip_ = nullptr;
    QMenu* systemMenu_ = nullptr;
    int statusTimer_ = 0;
    LinkExports linkExports_;
    AdapterLink adapterLink_{linkExports_};
    std::unique_ptr<HidDeviceListener> deviceListener_;
    std::unique_ptr<HidDeviceWatch> deviceWatch_;
    UpgradeTiming upgradeTiming_;
    bool upgradeInProgress_ = false;
    std::shared_ptr<UpgradeEvent> upgradeEvent_;
    std::unique_ptr<FirmwareUpgradeWorker> upgradeWorker_;
};

} // namespace halden
