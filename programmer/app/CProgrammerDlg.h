#pragma once

#include "adapter/FirmwareUpgradeSession.h"
#include "adapter/LinkExports.h"
#include "adapter/TransferObserver.h"
#include "common/qt/QtDesktopOpener.h"
#include "programmer/app/AreaDialog.h"
#include "programmer/app/ProgrammerContext.h"
#include "programmer/buffer/CodeBuffer.h"
#include "programmer/catalogue/PartList.h"
#include "programmer/core/ProgrammerCore.h"
#include "programmer/form/RequestForm.h"
#include "programmer/programming/AdapterDetection.h"
#include "programmer/programming/AdapterUi.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QMenu;

namespace halden {

class HexViewControl;
class ProductionMenu;
class FirmwareWarningDialog;

// The programmer's main window (template 102).
class StatusPaneProgress;

class CProgrammerDlg : public QDialog,
                       public CodeBuffer,
                       public ProjectPartHost,
                       public AdapterUi,
                       public TransferObserver {
    Q_OBJECT

public:
    static constexpr int kSysCommandAbout = 0x0010;
    static constexpr int kSysCommandCheckUpdate = 0x0400;

    explicit CProgrammerDlg(ProgrammerContext& context, QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    // The control with that template ID, or null.
    QWidget* control(int id) const;
    template <typename T> T* control(int id) const { return qobject_cast<T*>(control(id)); }

    // The system menu's commands, by ID with the low four bits masked off.
    void OnSysCommand(int id);
    QMenu* systemMenu() const { return systemMenu_; }
    // The window's context menu: the system menu's entries and the production checks.
    QMenu* contextMenu() const { return contextMenu_; }
    ProductionMenu& production() { return *production_; }

    const LinkExports& linkExports() const { return linkExports_; }
    ProgrammerCore& core() { return core_; }
    const PartSettings& partSettings() const { return core_.part(); }
    PartSettings& partSettings() { return core_.part(); }
    const std::vector<PartList::Item>& partItems() const { return partItems_; }
    ImageLoader& imageLoader() { return core_.loader(); }
    const std::string& currentFilePath() const { return currentFilePath_; }

    // Load File (button 1013): the open-file dialog, then the interactive load.
    void OnLoadFile();
    // The open-file dialog; replaceable so a test can answer it. Empty: cancelled.
    using OpenFileChooser = std::function<QString(const QString& initialPath)>;
    void setOpenFileChooser(OpenFileChooser chooser) { openFileChooser_ = std::move(chooser); }
    // The area dialog; replaceable so a test can answer it.
    void setAreaChooser(AreaChooser* chooser) { core_.setAreaChooser(chooser); }

    // Save *.QPF (button 1018): the save dialog, the project file, then the request dialog.
    void OnSaveProject();
    using SaveFileChooser = std::function<QString(const QString& initialPath)>;
    void setSaveFileChooser(SaveFileChooser chooser) { saveFileChooser_ = std::move(chooser); }
    // To, From and Part No of the last request dialog.
    const QStringList& requestFields() const { return requestFields_; }
    // What the request form takes from the window: the request fields, the selected part
    // and its list, and whether the first option box is enabled.
    RequestForm::Source formSource() const;

    // Update Target (button 1016): programs the chip through the adapter.
    void OnUpdateTarget();
    // Update Programmer (button 1017): stores the project in the adapter, with the
    // options of the Off-Line Mode dialog.
    void OnUpdateProgrammer();
    AdapterDetection& detection() { return detection_; }
    // Device arrivals and removals, on the window's thread.
    void OnDeviceArrival(const std::string& path);
    void OnDeviceRemoval(const std::string& path);

    // The firmware upgrade: the warning dialog's OK starts the worker (UM_FW_START), which
    // owns the link until its result; Update Target and the adapter checks are refused
    // meanwhile.
    void OnFirmwareStart(FirmwareWarningDialog* dialog);
    bool upgradeInProgress() const { return firmwareSession_.running(); }
    AdapterLink& adapterLink() { return adapterLink_; }
    // The waits and retries of the upgrade and the pause before its success message;
    // tests shorten them.
    using UpgradeTiming = FirmwareUpgradeSession::Timing;
    void setUpgradeTiming(const UpgradeTiming& timing) { firmwareSession_.setTiming(timing); }

    // AdapterUi: the status pane, the warning dialog, the Update Programmer button.
    void setStatusText(std::u16string_view text) override;
    void showFilePath() override;
    bool showFirmwareWarning(bool forced) override;
    void disableUpdateProgrammer() override;
    void wait(std::chrono::milliseconds duration) override;

    // TransferObserver: the status pane's bar; the window stays alive between reports.
    void progress(int percent) override;
    void processEvents() override;
    bool quitRequested() override { return quitRequested_; }
    void postQuit() override;

    // ProjectPartHost: reading a project switches the lists to its part.
    void selectProjectPart(std::uint16_t partIndex, bool selectSeries) override;
    void optionBoxesRestored() override { showOptionBoxes(); }

    // CodeBuffer: the hex view holds the code buffer.
    std::vector<std::uint8_t> codeBytes(std::size_t count) const override;
    void display(const std::string& path, std::span<const std::uint8_t> image) override;
    std::size_t length() const override;
    std::uint32_t sum() const override;
    void clear() override;
    void setCapacity(std::size_t capacity) override;
    HexViewControl* hexView() const { return hexView_; }
    bool busy() const { return core_.busy(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public slots:
    // The cancel command ("Exit", the close box): the close path.
    void reject() override;

private:
    void OnInitDialog();
    void buildSystemMenu();
    void buildContextMenu();
    void addLanguageMenu();
    void chooseLanguage(std::uint16_t index);
    void restoreWindowState();
    void setControlTexts();
    void setDefaultButton(int id);
    QString firmwareCaption() const;

    void fillSeriesList();
    void onSeriesChanged();
    void fillPartList();
    void selectStartPart();
    void applyPart();
    void onOptionClicked(std::size_t n, bool ticked);
    void showOptionBoxes();
    std::uint32_t selectedPartIndex() const;
    void saveOnClose();
    void setUpHexView();
    void onCodeChanged();
    void setPane(int id, const QString& text);
    void loadStartFile();
    QString chooseSavePath();
    void showRequestForm(const QString& projectPath);
    void watchDevices();
    void runAdapterCheck(const std::function<void()>& check);
    void holdLinkForUpgrade();
    void OnFirmwareResult(FirmwareUpgradeSession::Result result);
    void OnFirmwareStopped(FirmwareUpgradeSession::Step step,
                           const QPointer<FirmwareWarningDialog>& dialog);
    void endUpgrade();

    ProgrammerContext& context_;
    ProgrammerCore core_;
    std::vector<PartList::Item> partItems_;
    QComboBox* seriesList_ = nullptr;
    QComboBox* partList_ = nullptr;
    std::array<QCheckBox*, OptionCheckBox::kCount> optionBoxes_{};
    AreaDialogChooser areaDialogChooser_;
    OpenFileChooser openFileChooser_;
    SaveFileChooser saveFileChooser_;
    RequestForm requestForm_;
    QtDesktopOpener desktopOpener_;
    QStringList requestFields_;
    StatusPaneProgress* paneProgress_ = nullptr;
    LinkExports linkExports_;
    AdapterLink adapterLink_{linkExports_};
    AdapterDetection detection_;
    FirmwareUpgradeSession firmwareSession_;
    bool quitRequested_ = false;
    bool checking_ = false;
    std::string currentFilePath_;
    HexViewControl* hexView_ = nullptr;
    QMenu* systemMenu_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    std::unique_ptr<ProductionMenu> production_;
    QString projectHeaderText_;
};

} // namespace halden
