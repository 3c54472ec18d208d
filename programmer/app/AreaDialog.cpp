#include "programmer/app/AreaDialog.h"

#include "common/qt/DialogBuilder.h"
#include "programmer/text/UiText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace halden {

namespace {

DialogTemplate areaTemplate() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = AreaDialog::kTemplateId;
    t.width = 190;
    t.height = 72;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(AreaDialog::kAp, Kind::RadioButton, u"AP (Code)", {10, 10, 90, 10});
    t.add(AreaDialog::kIap, Kind::RadioButton, u"IAP (Data)", {10, 26, 70, 10});
    t.add(1045, Kind::Static, u"Address : 0x", {82, 27, 46, 10});
    t.add(AreaDialog::kAddressEdit, Kind::Edit, u"", {128, 25, 52, 12});
    t.add(AreaDialog::kClearBuffer, Kind::CheckBox, u"Clear Buffer", {10, 44, 66, 10});
    t.add(1, Kind::Button, u"OK", {78, 52, 50, 14});
    t.add(2, Kind::Button, u"Cancel", {132, 52, 50, 14});
    return t;
}

template <typename T> T* child(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

} // namespace

AreaDialog::AreaDialog(const UiText& text, std::uint32_t defaultAddress, QWidget* parent)
    : QDialog(parent) {
    DialogBuilder::build(*this, areaTemplate());
    if (const auto caption = text.controlText(kTemplateId)) {
        setWindowTitle(QString::fromStdU16String(*caption));
    }
    for (const int id : {kAp, kIap, 1045}) {
        if (const auto label = text.controlText(static_cast<std::uint16_t>(id))) {
            QWidget* widget = findChild<QWidget*>(QString::number(id));
            widget->setProperty("text", QString::fromStdU16String(*label));
        }
    }
    auto* address = child<QLineEdit>(this, kAddressEdit);
    address->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,8}"), address));
    address->setText(QString::number(defaultAddress, 16).toUpper());
    address->setEnabled(false);
    child<QRadioButton>(this, kAp)->setChecked(true);
    child<QCheckBox>(this, kClearBuffer)->setChecked(true);
    connect(child<QRadioButton>(this, kAp), &QRadioButton::toggled, this,
            [address](bool ap) { address->setEnabled(!ap); });
    child<QPushButton>(this, 1)->setDefault(true);
}

AreaChoice AreaDialog::choice() const {
    AreaChoice result;
    result.clearBuffer = child<QCheckBox>(this, kClearBuffer)->isChecked();
    if (child<QRadioButton>(this, kIap)->isChecked()) {
        bool ok = false;
        const uint value = child<QLineEdit>(this, kAddressEdit)->text().toUInt(&ok, 16);
        result.address = ok ? value : 0;
    }
    return result;
}

std::optional<AreaChoice> AreaDialogChooser::chooseArea(std::uint32_t defaultAddress) {
    AreaDialog dialog(text_, defaultAddress, owner_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.choice();
}

} // namespace halden
