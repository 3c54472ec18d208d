#include "programmer/app/OfflineModeDialog.h"

#include "common/MessageService.h"
#include "common/qt/DialogBuilder.h"
#include "programmer/text/UiText.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace halden {

namespace {

constexpr int kSerialGroup = -1;

DialogTemplate offlineTemplate() {
    using Kind = DialogTemplate::Kind;
    using D = OfflineModeDialog;
    DialogTemplate t;
    t.id = D::kTemplateId;
    t.width = 214;
    t.height = 134;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(1135, Kind::Static, u"Max Counter", {10, 12, 58, 8});
    t.add(D::kMaxCounter, Kind::Edit, u"", {72, 10, 60, 12});
    t.add(kSerialGroup, Kind::GroupBox, u"", {6, 28, 146, 100}, "serialGroup");
    t.add(D::kEnableSerial, Kind::CheckBox, u"Enable SerialNumber", {12, 28, 90, 10});
    t.add(1137, Kind::Static, u"String", {14, 46, 54, 8});
    t.add(D::kSerialString, Kind::Edit, u"", {72, 44, 72, 12});
    t.add(1138, Kind::Static, u"Number", {14, 62, 54, 8});
    t.add(D::kSerialNumber, Kind::Edit, u"", {72, 60, 48, 12});
    t.add(D::kAutoIncrement, Kind::CheckBox, u"Auto Increment Number", {14, 77, 110, 10});
    t.add(1140, Kind::Static, u"Start Address", {14, 94, 54, 8});
    t.add(D::kStartAddress, Kind::Edit, u"", {72, 92, 48, 12});
    t.add(1141, Kind::Static, u"End Address", {14, 110, 54, 8});
    t.add(D::kEndAddress, Kind::Edit, u"", {72, 108, 48, 12});
    t.add(D::kOk, Kind::Button, u"Ok", {158, 10, 50, 14});
    t.add(D::kCancel, Kind::Button, u"Cancel", {158, 28, 50, 14});
    return t;
}

QRegularExpressionValidator* validator(const char* pattern, QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(pattern), parent);
}

} // namespace

OfflineModeDialog::OfflineModeDialog(OfflineSettings& settings, std::uint32_t flashSize,
                                     const UiText& text, MessageService& messages,
                                     std::u16string applicationName, QWidget* parent)
    : QDialog(parent), settings_(settings), flashSize_(flashSize), text_(text), messages_(messages),
      applicationName_(std::move(applicationName)) {
    DialogBuilder::build(*this, offlineTemplate());
    setUpTexts(text);
    edit(kMaxCounter)->setValidator(validator("[0-9]{0,10}", this));
    edit(kSerialString)->setMaxLength(static_cast<int>(OfflineSettings::kSerialStringSize));
    edit(kSerialNumber)->setValidator(validator("[0-9A-Fa-f]{0,8}", this));
    edit(kSerialNumber)->setText(QStringLiteral("00000000"));
    edit(kStartAddress)->setValidator(validator("[0-9A-Fa-f]{0,8}", this));
    edit(kStartAddress)
        ->setText(QString::fromStdString(OfflineSettings::hex8(settings_.startAddress)));
    edit(kEndAddress)->setReadOnly(true);
    showEndAddress();
    serialEnabled(false);
    connectRules();
    auto* okButton = findChild<QPushButton*>(QString::number(kOk));
    okButton->setDefault(true);
}

QLineEdit* OfflineModeDialog::edit(int id) const {
    return findChild<QLineEdit*>(QString::number(id));
}

void OfflineModeDialog::setUpTexts(const UiText& text) {
    if (const auto caption = text.controlText(kTemplateId)) {
        setWindowTitle(QString::fromStdU16String(*caption));
    }
    for (const int id : {1135, 1136, 1137, 1138, 1139, 1140, 1141, kOk, kCancel}) {
        if (const auto label = text.controlText(static_cast<std::uint16_t>(id))) {
            findChild<QWidget*>(QString::number(id))
                ->setProperty("text", QString::fromStdU16String(*label));
        }
    }
    const std::u16string tip = text.tooltip(kOk);
    if (!tip.empty()) {
        findChild<QWidget*>(QString::number(kOk))->setToolTip(QString::fromStdU16String(tip));
    }
}

void OfflineModeDialog::connectRules() {
    connect(findChild<QCheckBox*>(QString::number(kEnableSerial)), &QCheckBox::toggled, this,
            &OfflineModeDialog::serialEnabled);
    connect(findChild<QCheckBox*>(QString::number(kAutoIncrement)), &QCheckBox::toggled, this,
            [this](bool on) { settings_.setAutoIncrement(on); });
    connect(edit(kMaxCounter), &QLineEdit::textChanged, this,
            &OfflineModeDialog::maxCounterChanged);
    connect(edit(kSerialString), &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.setSerialString(text.toStdU16String()); });
    connect(edit(kSerialNumber), &QLineEdit::textChanged, this,
            [this](const QString& text) { settings_.setSerialNumber(text.toStdString()); });
    connect(edit(kStartAddress), &QLineEdit::textChanged, this,
            &OfflineModeDialog::startAddressChanged);
    connect(findChild<QPushButton*>(QString::number(kOk)), &QPushButton::clicked, this,
            &OfflineModeDialog::ok);
    connect(findChild<QPushButton*>(QString::number(kCancel)), &QPushButton::clicked, this,
            &QDialog::reject);
}

void OfflineModeDialog::serialEnabled(bool on) {
    for (const int id :
         {kSerialString, kStartAddress, kEndAddress, kSerialNumber, kAutoIncrement}) {
        findChild<QWidget*>(QString::number(id))->setEnabled(on);
    }
    settings_.setSerialEnabled(on);
}

void OfflineModeDialog::maxCounterChanged(const QString& text) {
    if (!settings_.setMaxCounter(text.toStdString())) {
        return;
    }
    // The range message of the dialog's data exchange, then the limit in its place.
    const std::string limit = std::to_string(OfflineSettings::kMaxCounterLimit);
    messages_.show(text_.own(OwnTextId::IntegerRange, {std::u16string(limit.begin(), limit.end())}),
                   applicationName_, {MessageButtons::Ok, MessageIcon::Warning});
    edit(kMaxCounter)->setText(QString::number(settings_.maxCounter));
    messages_.beep(MessageIcon::Error);
}

void OfflineModeDialog::startAddressChanged(const QString& text) {
    const auto change = settings_.setStartAddress(text.toStdString(), flashSize_);
    if (change.change != OfflineSettings::AddressChange::None) {
        edit(kStartAddress)->setText(QString::fromStdString(change.shown));
        messages_.beep(MessageIcon::Error);
    }
    showEndAddress();
}

void OfflineModeDialog::showEndAddress() {
    edit(kEndAddress)
        ->setText(QString::fromStdString(OfflineSettings::hex8(settings_.endAddress())));
}

void OfflineModeDialog::ok() {
    if (const auto rounded = settings_.roundStartAddressForOk()) {
        edit(kStartAddress)->setText(QString::fromStdString(*rounded));
        messages_.beep(MessageIcon::Error);
        return;
    }
    accept();
}

bool OfflineModeDialogEditor::editOfflineSettings(OfflineSettings& settings,
                                                  std::uint32_t flashSize) {
    OfflineModeDialog dialog(settings, flashSize, text_, messages_, applicationName_, owner_);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace halden
