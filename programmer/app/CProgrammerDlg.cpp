#include "CProgrammerDlg.h"

#include "CAboutDlg.h"
#include "CaptionText.h"
#include "DialogBuilder.h"
#include "HexViewControl.h"
#include "LinkLibrary.h"
#include "LinkLibraryFile.h"
#include "MainWindowTemplate.h"
#include "ProgrammerImages.h"
#include "SettingsStore.h"
#include "UiText.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace halden {

CProgrammerDlg::CProgrammerDlg(ProgrammerContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
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
    const bool partFromCommandLine = !context_.commandLine.partName.empty();
    setDefaultButton(partFromCommandLine ? MainWindowTemplate::kUpdateTarget
                                         : MainWindowTemplate::kLoadFile);
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

void CProgrammerDlg::reject() {
    QDialog::reject();
}

} // namespace halden
