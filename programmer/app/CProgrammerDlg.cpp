#include "programmer/app/CProgrammerDlg.h"

#include "adapter/AdapterWatch.h"
#include "adapter/LinkLibrary.h"
#include "adapter/LinkLibraryFile.h"
#include "common/MessageService.h"
#include "common/SettingsStore.h"
#include "common/Unicode.h"
#include "common/qt/DialogBuilder.h"
#include "hexview/qt/HexViewControl.h"
#include "programmer/app/CAboutDlg.h"
#include "programmer/app/CaptionText.h"
#include "programmer/app/MainWindowTemplate.h"
#include "programmer/app/OfflineModeDialog.h"
#include "programmer/app/ProductionMenu.h"
#include "programmer/app/ProgrammerImages.h"
#include "programmer/app/ProgrammerUpdateCheck.h"
#include "programmer/app/QpfRequestDialog.h"
#include "programmer/buffer/SavePathSuggestion.h"
#include "programmer/catalogue/SeriesTable.h"
#include "programmer/form/qt/FormListDialog.h"
#include "programmer/programming/TracedOperation.h"
#include "programmer/programming/UpdateProgrammer.h"
#include "programmer/programming/UpdateTarget.h"
#include "programmer/programming/ui/FirmwareWarningDialog.h"
#include "programmer/programming/ui/StatusPaneProgress.h"
#include "programmer/text/LanguageSetting.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"

#include <filesystem>
#include <thread>

#include <QAbstractButton>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>

namespace halden {

CProgrammerDlg::CProgrammerDlg(ProgrammerContext& context, QWidget* parent)
    : QDialog(parent), context_(context), core_({.messages = context.messages,
                                                 .code = *this,
                                                 .partHost = this,
                                                 .settings = &context.settings,
                                                 .clock = context.clock,
                                                 .applicationName = context.applicationName,
                                                 .languageIndex = context.languageIndex}),
      areaDialogChooser_(core_.text(), this),
      requestForm_(core_.catalogue(), core_.textMessage(),
                   RequestForm::loadTemplate(ProgrammerResources::directory())),
      detection_(adapterLink_, *this, core_.text()),
      firmwareSession_(adapterLink_, UpgradeEvent::kProgrammerName,
                       [this](std::function<void()> call) {
                           QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
                       }) {
    ProgrammerImages::registerOnce();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    DialogBuilder::build(*this, MainWindowTemplate::make(),
                         [this](const std::string& className, QWidget* owner) -> QWidget* {
                             WindowClass* windowClass = context_.hexEditClass;
                             if (windowClass == nullptr || className != windowClass->className()) {
                                 return new QWidget(owner);
                             }
                             hexView_ = windowClass->create(owner);
                             return hexView_->widget();
                         });
    OnInitDialog();
}

QWidget* CProgrammerDlg::control(int id) const {
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CProgrammerDlg::OnInitDialog() {
    seriesList_ = control<QComboBox>(MainWindowTemplate::kSeriesList);
    partList_ = control<QComboBox>(MainWindowTemplate::kPartList);
    for (std::size_t n = 0; n < optionBoxes_.size(); ++n) {
        optionBoxes_[n] =
            control<QCheckBox>(MainWindowTemplate::kFirstOption + static_cast<int>(n));
        connect(optionBoxes_[n], &QCheckBox::clicked, this,
                [this, n](bool ticked) { onOptionClicked(n, ticked); });
    }
    // Only the user's choices count as selection changes, as with the list controls'
    // own notifications; the window's own selections apply the part themselves.
    connect(seriesList_, &QComboBox::activated, this, [this] { onSeriesChanged(); });
    connect(partList_, &QComboBox::activated, this, [this] { applyPart(); });
    core_.setAreaChooser(&areaDialogChooser_);
    connect(control<QPushButton>(MainWindowTemplate::kSaveQpf), &QPushButton::clicked, this,
            [this] { OnSaveProject(); });
    connect(control<QPushButton>(MainWindowTemplate::kLoadFile), &QPushButton::clicked, this,
            [this] { OnLoadFile(); });
    buildSystemMenu();
    buildContextMenu();
    setWindowIcon(QIcon(":/images/icon.png"));
    projectHeaderText_.clear();
    setUpHexView();
    restoreWindowState();
    core_.busy() = false;
    if (context_.linkLibrary != nullptr && context_.linkLibrary->loaded()) {
        linkExports_ = context_.linkLibrary->bindExports();
    }
    paneProgress_ =
        new StatusPaneProgress(*control<QLabel>(MainWindowTemplate::kFilePathPane), core_.text());
    connect(control<QPushButton>(MainWindowTemplate::kUpdateTarget), &QPushButton::clicked, this,
            [this] { OnUpdateTarget(); });
    connect(control<QPushButton>(MainWindowTemplate::kUpdateProgrammer), &QPushButton::clicked,
            this, [this] { OnUpdateProgrammer(); });
    detection_.setForcedUpgrade(context_.commandLine.forcedUpgrade);
    // Timer 1: one probe for the adapter shortly after the window is up.
    QTimer::singleShot(200, this, [this] { runAdapterCheck([this] { detection_.probe(); }); });
    watchDevices();
}

CProgrammerDlg::~CProgrammerDlg() = default;

void CProgrammerDlg::watchDevices() {
    if (context_.linkLibrary == nullptr) {
        return;
    }
    firmwareSession_.follow(
        AdapterWatch::forLibrary(*context_.linkLibrary),
        {.arrived = [this](const std::string& path) { OnDeviceArrival(path); },
         .removed = [this](const std::string& path) { detection_.removed(path); }});
}

void CProgrammerDlg::OnDeviceArrival(const std::string& path) {
    runAdapterCheck([this, &path] { detection_.arrived(path); });
}

// The probe and the arrival checks run one at a time and never inside an operation: the
// operation, or the check already showing its warning, holds the link.
void CProgrammerDlg::runAdapterCheck(const std::function<void()>& check) {
    if (core_.busy() || checking_ || upgradeInProgress()) {
        return;
    }
    checking_ = true;
    check();
    checking_ = false;
    holdLinkForUpgrade();
}

// An upgrade started from inside an operation outlives it: the busy flag stays up until
// the upgrade's result, so the other adapter operations are refused meanwhile.
void CProgrammerDlg::holdLinkForUpgrade() {
    if (upgradeInProgress()) {
        core_.busy() = true;
    }
}

// The session signals the upgrade's event when the boot loader leaves, then hands the
// removal to the detection.
void CProgrammerDlg::OnDeviceRemoval(const std::string& path) {
    firmwareSession_.removed(path);
}

void CProgrammerDlg::OnUpdateTarget() {
    if (upgradeInProgress()) {
        return; // the upgrade owns the link
    }
    production_->runTraced("program", [this](const TextMessage& messages, TracedOperation& trace) {
        const std::vector<std::uint8_t> code = core_.codeBytes();
        trace.record().image = TraceRecord::imageOf(
            currentFilePath_.empty() ? std::vector<std::string>{}
                                     : std::vector<std::string>{currentFilePath_},
            code);
        UpdateTarget update(
            adapterLink_, core_.part(), [&code] { return code; }, *this, messages, *this,
            core_.busy());
        const bool ok = update.run() == UpdateTarget::Result::Ok;
        trace.tracePart(core_.part().record());
        return ok;
    });
    holdLinkForUpgrade();
    // The pane was drawn over during the transfer; redraw it without erasing.
    QWidget::update();
}

void CProgrammerDlg::OnFirmwareStart(FirmwareWarningDialog* dialog) {
    if (upgradeInProgress()) {
        return; // one worker at a time
    }
    const QPointer<FirmwareWarningDialog> warning(dialog);
    auto image = context_.linkLibrary != nullptr
                     ? FirmwareImage::fromLinkLibrary(context_.linkLibrary->path())
                     : std::nullopt;
    if (!image) {
        OnFirmwareStopped(FirmwareUpgradeSession::Step::Download, warning);
        return;
    }
    FirmwareUpgradeSession::Handlers handlers;
    handlers.progress = [this](int percent) { progress(percent); };
    handlers.loaded = [warning] {
        if (warning) {
            warning->OnFirmwareLoaded();
        }
    };
    handlers.result = [this](FirmwareUpgradeSession::Result result) { OnFirmwareResult(result); };
    handlers.stopped = [this, warning](FirmwareUpgradeSession::Step step, const std::string&) {
        OnFirmwareStopped(step, warning);
    };
    firmwareSession_.start(std::move(*image),
                           detection_.forcedUpgrade() ? FirmwareUpgradeWorker::outputReportSwitch()
                                                      : FirmwareUpgradeWorker::commandSwitch(),
                           std::move(handlers));
    detection_.setUpgradeInProgress(true);
}

void CProgrammerDlg::endUpgrade() {
    detection_.setUpgradeInProgress(false);
    core_.busy() = false;
}

void CProgrammerDlg::OnFirmwareResult(FirmwareUpgradeSession::Result result) {
    const auto shown = FirmwareUpgradeSession::resultText(result);
    if (result == FirmwareUpgradeSession::Result::Done) {
        setStatusText(u"");
        // The pane shows empty through the pause, in which the window does not respond.
        control(MainWindowTemplate::kFilePathPane)->repaint();
        std::this_thread::sleep_for(firmwareSession_.timing().donePause);
    }
    core_.textMessage().ShowTextMessage(shown.captionId, shown.textId, shown.style);
    if (result == FirmwareUpgradeSession::Result::Done) {
        detection_.setForcedUpgrade(false);
    }
    endUpgrade();
}

// The worker stopped before the Restart: the adapter is as the failed step left it. The
// user learns where it stopped and that replugging the adapter offers the upgrade again
// (in its boot loader, the forced one).
void CProgrammerDlg::OnFirmwareStopped(FirmwareUpgradeSession::Step step,
                                       const QPointer<FirmwareWarningDialog>& dialog) {
    const OwnTextId id = step == FirmwareUpgradeSession::Step::Switch
                             ? OwnTextId::FirmwareStoppedAtSwitch
                         : step == FirmwareUpgradeSession::Step::BootLoaderSearch
                             ? OwnTextId::FirmwareStoppedAtBootLoaderSearch
                             : OwnTextId::FirmwareStoppedAtDownload;
    const std::u16string text = core_.text().own(id);
    endUpgrade();
    // A refused switch leaves the adapter open; the worker is done with the link.
    if (adapterLink_.isOpen()) {
        adapterLink_.close();
    }
    showFilePath();
    if (dialog && dialog->isVisible()) {
        dialog->OnUpgradeStopped(QString::fromStdU16String(text));
    } else {
        context_.messages.show(text, core_.text().text(FirmwareUpgradeSession::kErrorCaptionId),
                               {MessageButtons::Ok, MessageIcon::Error});
    }
}

void CProgrammerDlg::OnUpdateProgrammer() {
    if (upgradeInProgress()) {
        return; // the upgrade owns the link
    }
    OfflineModeDialogEditor editor(core_.text(), core_.messages(),
                                   core_.textMessage().applicationName(), this);
    UpdateProgrammer update(
        adapterLink_, core_.part(), [this] { return core_.codeBytes(); }, editor, *this,
        core_.textMessage(), *this, core_.busy());
    update.run();
    // The pane was drawn over during the transfer; redraw it without erasing.
    QWidget::update();
}

// A text in the status pane ends the progress bar drawn over it, also when the text is
// the one the pane held before the bar. The adapter operations run on the window's thread
// and block it (the read-back of a stored project for most of a second), so the pane is
// drawn at once: the text is seen while the step it names runs.
void CProgrammerDlg::setStatusText(std::u16string_view text) {
    if (paneProgress_ != nullptr) {
        paneProgress_->clear();
    }
    setPane(MainWindowTemplate::kFilePathPane, QString::fromStdU16String(std::u16string(text)));
    control(MainWindowTemplate::kFilePathPane)->repaint();
}

void CProgrammerDlg::showFilePath() {
    if (paneProgress_ != nullptr) {
        paneProgress_->clear();
    }
    if (!currentFilePath_.empty()) {
        setPane(MainWindowTemplate::kFilePathPane, QString::fromStdString(currentFilePath_));
    }
}

// True when OK started the upgrade, which then owns the link.
bool CProgrammerDlg::showFirmwareWarning(bool forced) {
    bool started = false;
    FirmwareWarningDialog::ShowFirmwareWarning(
        forced ? FirmwareWarningDialog::Mode::Forced : FirmwareWarningDialog::Mode::Normal,
        core_.text(), this, [this, &started](FirmwareWarningDialog* dialog) {
            OnFirmwareStart(dialog);
            started = true;
        });
    return started;
}

void CProgrammerDlg::disableUpdateProgrammer() {
    control(MainWindowTemplate::kUpdateProgrammer)->setEnabled(false);
}

void CProgrammerDlg::wait(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

void CProgrammerDlg::progress(int percent) {
    paneProgress_->DrawProgress(percent);
}

void CProgrammerDlg::processEvents() {
    QCoreApplication::processEvents();
}

void CProgrammerDlg::postQuit() {
    QMetaObject::invokeMethod(this, &CProgrammerDlg::reject, Qt::QueuedConnection);
}

// The title bar's system menu is the window manager's here, so its two added
// entries live in the window's context menu.
void CProgrammerDlg::buildSystemMenu() {
    systemMenu_ = new QMenu(this);
    systemMenu_->setObjectName("systemMenu");
    const QString aboutText = QString::fromStdU16String(CAboutDlg::kMenuText);
    if (aboutText.isEmpty()) {
        return;
    }
    systemMenu_->addSeparator();
    systemMenu_->addAction("Check update", this, [this] { OnSysCommand(kSysCommandCheckUpdate); });
    systemMenu_->addAction(aboutText, this, [this] { OnSysCommand(kSysCommandAbout); });
    systemMenu_->addSeparator();
    addLanguageMenu();
}

// Each language by its table's own name (key 0). The window's texts are set once, so
// the choice is stored for the next start.
void CProgrammerDlg::addLanguageMenu() {
    QMenu* languages =
        systemMenu_->addMenu(QString::fromStdU16String(core_.text().own(OwnTextId::LanguageMenu)));
    languages->setObjectName("languageMenu");
    auto* choices = new QActionGroup(languages);
    const std::uint16_t stored = LanguageSetting::read(context_.settings);
    for (std::uint16_t index = 0; index < LanguageSetting::kCount; ++index) {
        const auto name = core_.text().tables().FindTableString(UiText::kFirstTable + index, 0);
        QAction* choice = languages->addAction(QString::fromStdU16String(name.value_or(u"")));
        choice->setCheckable(true);
        choice->setChecked(index == stored);
        choice->setData(index);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, index] { chooseLanguage(index); });
    }
}

// Said in the language chosen, which the user reads best; nothing to say when the
// window already shows it.
void CProgrammerDlg::chooseLanguage(std::uint16_t index) {
    LanguageSetting::write(context_.settings, index);
    if (index == core_.text().languageIndex()) {
        return;
    }
    const UiText chosen(core_.text().tables(), index);
    context_.messages.show(chosen.own(OwnTextId::LanguageAtNextStart), context_.applicationName,
                           {MessageButtons::Ok, MessageIcon::Information});
}

void CProgrammerDlg::buildContextMenu() {
    production_ = std::make_unique<ProductionMenu>(*this, context_, adapterLink_);
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName("contextMenu");
    contextMenu_->addActions(systemMenu_->actions());
    contextMenu_->addSeparator();
    contextMenu_->addActions(production_->makeActions(this));
}

void CProgrammerDlg::OnSysCommand(int id) {
    switch (id & 0xFFF0) {
    case kSysCommandAbout: {
        CAboutDlg about(core_.text(), this);
        about.exec();
        break;
    }
    case kSysCommandCheckUpdate:
        ProgrammerUpdateCheck::run(UpdateCheck::Mode::Menu, context_.messages, context_.settings,
                                   context_.programPath, context_.downloader, context_.desktop);
        // Using the entry turns the start-up check back on, whatever the check did.
        context_.settings.writeInt("Settings", "CheckVersion", 1);
        break;
    default:
        break;
    }
}

void CProgrammerDlg::restoreWindowState() {
    control<QRadioButton>(MainWindowTemplate::kWholeChip)->setChecked(true);
    setWindowTitle(firmwareCaption());
    setControlTexts();
    fillSeriesList();
    seriesList_->setCurrentIndex(0);
    onSeriesChanged();
    selectStartPart();
    core_.forceNextApply();
    applyPart();
    loadStartFile();
}

void CProgrammerDlg::loadStartFile() {
    const std::u16string& path = context_.commandLine.filePath;
    const std::string file = Unicode::toUtf8(path);
    std::error_code error;
    if (!path.empty() && std::filesystem::is_regular_file(file, error)) {
        core_.loader().setLoadAddress(0);
        core_.loadFile(file, false);
    }
}

void CProgrammerDlg::setUpHexView() {
    if (hexView_ == nullptr) {
        return;
    }
    HexViewControl::Colors grey;
    grey.fill(0xC8C8C8);
    hexView_->setColors(0x55, grey);
    hexView_->setFontHeight(14);
    hexView_->setLayout(0, 6);
    hexView_->setChangeHandler([this] { onCodeChanged(); });
}

// The hex view's change notification: size and checksum follow the buffer.
void CProgrammerDlg::onCodeChanged() {
    core_.codeChanged();
    const PartRecord& record = core_.partRecord();
    setPane(
        MainWindowTemplate::kChecksumPane,
        QString::asprintf("%s = 0x%04X",
                          QString::fromStdU16String(core_.text().text(1105)).toUtf8().constData(),
                          record.codeChecksum));
    setPane(MainWindowTemplate::kSizePane,
            QString("%1 = %2 %3")
                .arg(QString::fromStdU16String(core_.text().text(1106)))
                .arg(record.codeSize)
                .arg(QString::fromStdU16String(core_.text().own(OwnTextId::Bytes))));
}

void CProgrammerDlg::setPane(int id, const QString& text) {
    control<QLabel>(id)->setText(text);
}

std::vector<std::uint8_t> CProgrammerDlg::codeBytes(std::size_t count) const {
    std::vector<std::uint8_t> bytes(count);
    if (hexView_ != nullptr && count > 0) {
        bytes.resize(hexView_->getData(bytes.data(), count));
    }
    return bytes;
}

std::size_t CProgrammerDlg::length() const {
    return hexView_ != nullptr ? hexView_->length() : 0;
}

std::uint32_t CProgrammerDlg::sum() const {
    return hexView_ != nullptr ? static_cast<std::uint32_t>(hexView_->sum()) : 0;
}

void CProgrammerDlg::clear() {
    if (hexView_ != nullptr) {
        hexView_->clearAll();
    }
}

void CProgrammerDlg::setCapacity(std::size_t capacity) {
    if (hexView_ != nullptr) {
        hexView_->setCapacity(capacity);
    }
}

void CProgrammerDlg::display(const std::string& path, std::span<const std::uint8_t> image) {
    currentFilePath_ = path;
    setPane(MainWindowTemplate::kChecksumPane, {});
    setPane(MainWindowTemplate::kSizePane, {});
    setPane(MainWindowTemplate::kFilePathPane, QString::fromStdString(path));
    if (hexView_ != nullptr) {
        hexView_->clearAll();
        hexView_->setData(image.data(), image.size());
    }
}

void CProgrammerDlg::OnLoadFile() {
    const QString saved =
        QString::fromStdU16String(context_.settings.readString("Settings", "LoadPath", u""));
    const QString chosen =
        openFileChooser_ ? openFileChooser_(saved)
                         : QFileDialog::getOpenFileName(this, {}, saved,
                                                        "Support Format(*.bin *.hex *.qpf);;"
                                                        "Bin Format(*.bin);;Hex Format(*.hex);;"
                                                        "Project Format(*.qpf);;all Format(*)");
    if (chosen.isEmpty()) {
        return;
    }
    context_.settings.writeString("Settings", "LoadPath", chosen.toStdU16String());
    core_.loadFile(chosen.toStdString(), true);
    currentFilePath_ = chosen.toStdString();
}

void CProgrammerDlg::selectProjectPart(std::uint16_t partIndex, bool selectSeries) {
    if (selectSeries) {
        const int series =
            seriesList_->findData(core_.catalogue().number(partIndex, ChipCatalogue::kSeries));
        seriesList_->setCurrentIndex(series);
        fillPartList();
    }
    const auto item = PartList::findPartIndex(partItems_, partIndex);
    partList_->setCurrentIndex(item ? static_cast<int>(*item) : -1);
    core_.forceNextApply();
    applyPart();
}

QString CProgrammerDlg::chooseSavePath() {
    QString initial =
        QString::fromStdU16String(context_.settings.readString("Settings", "QpfSavePath", u""));
    if (initial.isEmpty()) {
        initial = QString::fromStdString(SavePathSuggestion::firstSuggestion(
            context_.programPath,
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString(),
            Unicode::toUtf8(context_.applicationName)));
    }
    if (saveFileChooser_) {
        return saveFileChooser_(initial);
    }
    QFileDialog dialog(this, {}, initial, "Corvane Project Format(*.qpf);;All Format(*)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("qpf");
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void CProgrammerDlg::OnSaveProject() {
    if (hexView_ == nullptr || hexView_->length() == 0) {
        context_.messages.show(u"Code Buffer is empty !", u"Halden Programmer", {});
        return;
    }
    const QString path = chooseSavePath();
    if (path.isEmpty()) {
        return;
    }
    context_.settings.writeString("Settings", "QpfSavePath", path.toStdU16String());
    const std::string error = core_.saveProject(path.toStdString());
    if (!error.empty()) {
        context_.messages.show(Unicode::toUtf16(error), core_.text().text(1101),
                               {MessageButtons::Ok, MessageIcon::Error});
        return;
    }
    QpfRequestDialog request(this);
    if (request.exec() != QDialog::Accepted) {
        return;
    }
    requestFields_ = {request.to(), request.from(), request.partNo()};
    showRequestForm(path);
}

RequestForm::Source CProgrammerDlg::formSource() const {
    RequestForm::Source source;
    source.to = requestFields_.value(0).toStdU16String();
    source.from = requestFields_.value(1).toStdU16String();
    source.partNo = requestFields_.value(2).toStdU16String();
    source.selectedPartIndex = core_.partRecord().partIndex;
    source.partItems = partItems_;
    source.firstBoxEnabled = optionBoxes_[0]->isEnabled();
    return source;
}

// The form of the file just saved; the dialog opens in every case, with an empty form
// for a part without a layout.
void CProgrammerDlg::showRequestForm(const QString& projectPath) {
    DesktopOpener& desktop = context_.desktop != nullptr ? *context_.desktop : desktopOpener_;
    FormListDialog formList(
        core_.text(), requestForm_, [this] { return formSource(); }, desktop, this);
    std::u16string text;
    requestForm_.RenderRequestForm(projectPath.toStdString(), formSource(), text);
    formList.setFormText(text);
    formList.exec();
}

void CProgrammerDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // "Auto Reload Code": every activation reloads the current file, without dialogs.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        control<QCheckBox>(MainWindowTemplate::kAutoReload)->isChecked() &&
        !currentFilePath_.empty()) {
        core_.loadFile(currentFilePath_, false);
    }
}

void CProgrammerDlg::fillSeriesList() {
    seriesList_->clear();
    for (const auto& series : SeriesTable::kSeries) {
        if (series.listed) {
            seriesList_->addItem(QString::fromStdU16String(std::u16string(series.name)),
                                 series.number);
        }
    }
    seriesList_->model()->sort(0);
}

void CProgrammerDlg::onSeriesChanged() {
    fillPartList();
    partList_->setCurrentIndex(partItems_.empty() ? -1 : 0);
    applyPart();
}

void CProgrammerDlg::fillPartList() {
    const std::uint32_t series = seriesList_->currentData().toUInt();
    partItems_ = PartList::forSeries(core_.catalogue(), series);
    partList_->clear();
    for (const auto& item : partItems_) {
        partList_->addItem(QString::fromStdU16String(item.name), item.partIndex);
    }
}

// Start on the part the command line names, else on the part used last.
void CProgrammerDlg::selectStartPart() {
    const std::u16string& name = context_.commandLine.partName;
    if (!name.empty()) {
        const auto found = PartList::findCommandLineName(partItems_, name, [this] {
            context_.messages.show(u"ERROR", context_.applicationName, {});
        });
        if (found) {
            partList_->setCurrentIndex(static_cast<int>(*found));
            partList_->setEnabled(false);
        }
        setDefaultButton(MainWindowTemplate::kUpdateTarget);
        return;
    }
    setDefaultButton(MainWindowTemplate::kLoadFile);
    const int saved = context_.settings.readInt("Settings", "BodyID", -1);
    const auto item = saved == -1
                          ? std::nullopt
                          : PartList::findPartIndex(partItems_, static_cast<std::uint32_t>(saved));
    partList_->setCurrentIndex(item ? static_cast<int>(*item) : 0);
}

std::uint32_t CProgrammerDlg::selectedPartIndex() const {
    return partList_->currentIndex() < 0 ? 0 : partList_->currentData().toUInt();
}

void CProgrammerDlg::applyPart() {
    if (!core_.applyPart(selectedPartIndex())) {
        return;
    }
    projectHeaderText_.clear();
    control<QAbstractButton>(MainWindowTemplate::kUserDefine)->setChecked(false);
    control<QAbstractButton>(MainWindowTemplate::kWholeChip)->setChecked(true);
    showOptionBoxes();
    for (const int pane : {MainWindowTemplate::kChecksumPane, MainWindowTemplate::kSizePane,
                           MainWindowTemplate::kFilePathPane}) {
        control<QLabel>(pane)->clear();
    }
}

void CProgrammerDlg::showOptionBoxes() {
    const auto& boxes = core_.part().boxes();
    for (std::size_t n = 0; n < boxes.size(); ++n) {
        optionBoxes_[n]->setEnabled(boxes[n].enabled);
        optionBoxes_[n]->setText(QString::fromStdU16String(boxes[n].label));
        optionBoxes_[n]->setToolTip(QString::fromStdU16String(boxes[n].tooltip));
        optionBoxes_[n]->setChecked(boxes[n].ticked);
    }
}

void CProgrammerDlg::onOptionClicked(std::size_t n, bool ticked) {
    core_.part().setBox(n, ticked);
}

void CProgrammerDlg::saveOnClose() {
    core_.saveOnClose(selectedPartIndex());
}

QString CProgrammerDlg::firmwareCaption() const {
    std::optional<std::vector<std::uint8_t>> image;
    if (context_.linkLibrary != nullptr && context_.linkLibrary->loaded()) {
        image = LinkLibraryFile::firmwareImage(context_.linkLibrary->path());
    }
    std::optional<std::span<const std::uint8_t>> bytes;
    if (image) {
        bytes = *image;
    }
    return QString::fromStdU16String(CaptionText::withFirmware(core_.text().text(102), bytes));
}

void CProgrammerDlg::setControlTexts() {
    for (const int id : MainWindowTemplate::kLabelledIds) {
        QWidget* widget = control(id);
        const auto text = core_.text().controlText(static_cast<std::uint16_t>(id));
        if (widget == nullptr || !text) {
            continue;
        }
        const QString label = QString::fromStdU16String(*text);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(label);
        } else {
            widget->setProperty(widget->inherits("QGroupBox") ? "title" : "text", label);
        }
    }
}

void CProgrammerDlg::setDefaultButton(int id) {
    for (auto* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto* button = control<QPushButton>(id);
    button->setDefault(true);
    button->setFocus();
}

void CProgrammerDlg::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the main window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CProgrammerDlg::contextMenuEvent(QContextMenuEvent* event) {
    contextMenu_->popup(event->globalPos());
}

// The close box and "Exit" both come here: save the part and its option bytes first.
void CProgrammerDlg::reject() {
    // Closed during a transfer: the transfer ends first, then asks to close again.
    if (core_.busy()) {
        quitRequested_ = true;
        return;
    }
    saveOnClose();
    QDialog::reject();
}

} // namespace halden
