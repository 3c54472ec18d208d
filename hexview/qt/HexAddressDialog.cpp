#include "hexview/qt/HexAddressDialog.h"

#include "hexview/HexText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace halden {

HexAddressDialog::HexAddressDialog(std::uint64_t current, unsigned digits, QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(tr("Go to address"));
    edit_->setObjectName("address");
    edit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression("\\s*(0[xX])?[0-9A-Fa-f]{0,16}\\s*"), edit_));
    edit_->setText(QString::fromStdString(HexText::address(current, digits)));
    edit_->selectAll();

    auto* form = new QFormLayout(this);
    form->addRow(tr("Address (hex):"), edit_);
    form->addRow(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textChanged, this, &HexAddressDialog::updateOk);
    updateOk();
}

std::optional<std::uint64_t> HexAddressDialog::address() const {
    return HexText::parseAddress(edit_->text().toStdString());
}

void HexAddressDialog::updateOk() {
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(address().has_value());
}

} // namespace halden
