#include "CProgrammerDlg.h"

#include "CAboutDlg.h"
#include "CaptionText.h"
#include "DialogBuilder.h"
#include "HexViewControl.h"
#include "LinkLibrary.h"
#include "LinkLibraryFile.h"
#include "MainWindowTemplate.h"
#include "MessageService.h"
#include "ProgrammerImages.h"
#include "SeriesTable.h"
#include "SettingsStore.h"
#include "UiText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace halden {

CProgrammerDlg::CProgrammerDlg(ProgrammerContext& context, QWidget* parent)
    : QDialog(parent), context_(context), catalogue_(context.text.tables()),
      partSettings_(catalogue_) {
    ProgrammerImages::registerOnce();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    DialogBuilder::build(*this, MainWindowTemplate::make(),
                         [this](const std::string& className, QWidget* parent) -> QWidget* {
                             WindowClass* windowClass = context_.hexEditClass;
                             if (windowClass == nullptr || className != windowClass->className()) {
                                 return new QWidget(parent);
                             }
                             hexView_ = windowClass->create(parent);
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
    buildSystemMenu();
    setWindowIcon(QIcon(":/images/icon.png"));
    projectHeaderText_.clear();
    restoreWindowState();
    busy_ = false;
    if (context_.linkLibrary != nullptr && context_.linkLibrary->loaded()) {
        linkExports_ = context_.linkLibrary->bindExports();
    }
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
}

void CProgrammerDlg::OnSysCommand(int id) {
    switch (id & 0xFFF0) {
    case kSysCommandAbout: {
        CAboutDlg about(context_.text, this);
        about.exec();
        break;
    }
    case kSysCommandCheckUpdate:
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
    partSettings_.forceNextApply();
    applyPart();
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
    partItems_ = PartList::forSeries(catalogue_, series);
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
    if (!partSettings_.apply(selectedPartIndex(), context_.text.languageIndex())) {
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
    const auto& boxes = partSettings_.boxes();
    for (std::size_t n = 0; n < boxes.size(); ++n) {
        optionBoxes_[n]->setEnabled(boxes[n].enabled);
        optionBoxes_[n]->setText(QString::fromStdU16String(boxes[n].label));
        optionBoxes_[n]->setToolTip(QString::fromStdU16String(boxes[n].tooltip));
        optionBoxes_[n]->setChecked(boxes[n].ticked);
    }
}

void CProgrammerDlg::onOptionClicked(std::size_t n, bool ticked) {
    partSettings_.setBox(n, ticked);
}

void CProgrammerDlg::saveOnClose() {
    partSettings_.save(context_.settings, selectedPartIndex());
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
    return QString::fromStdU16String(CaptionText::withFirmware(context_.text.text(102), bytes));
}

void CProgrammerDlg::setControlTexts() {
    for (const int id : MainWindowTemplate::kLabelledIds) {
        QWidget* widget = control(id);
        const auto text = context_.text.controlText(static_cast<std::uint16_t>(id));
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
    systemMenu_->popup(event->globalPos());
}

// The close box and "Exit" both come here: save the part and its option bytes first.
void CProgrammerDlg::reject() {
    saveOnClose();
    QDialog::reject();
}

} // namespace halden
