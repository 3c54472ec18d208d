#include "programmer/app/QpfRequestDialog.h"

#include "common/qt/DialogBuilder.h"

#include <QLineEdit>
#include <QPushButton>

namespace halden {

namespace {

DialogTemplate requestTemplate() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = QpfRequestDialog::kTemplateId;
    t.width = 224;
    t.height = 112;
    t.caption = u"QPF Dialog";
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(-1, Kind::Static,
          u"Need to generate a \"QPF Request Form\"?\n"
          u"If you don't need it, please press \"Cancel\"\n"
          u"If you need it, please fill in the following information.",
          {7, 6, 210, 28}, "staticQuestion");
    t.add(-1, Kind::Static, u"To :", {7, 41, 40, 10}, "staticTo");
    t.add(QpfRequestDialog::kTo, Kind::Edit, u"", {50, 39, 167, 12});
    t.add(-1, Kind::Static, u"From :", {7, 57, 40, 10}, "staticFrom");
    t.add(QpfRequestDialog::kFrom, Kind::Edit, u"", {50, 55, 167, 12});
    t.add(-1, Kind::Static, u"Part No :", {7, 73, 40, 10}, "staticPartNo");
    t.add(QpfRequestDialog::kPartNo, Kind::Edit, u"", {50, 71, 167, 12});
    t.add(1, Kind::Button, u"OK", {112, 92, 50, 14});
    t.add(2, Kind::Button, u"Cancel", {167, 92, 50, 14});
    return t;
}

} // namespace

QpfRequestDialog::QpfRequestDialog(QWidget* parent) : QDialog(parent) {
    DialogBuilder::build(*this, requestTemplate());
    findChild<QPushButton*>("1")->setDefault(true);
}

void QpfRequestDialog::accept() {
    to_ = findChild<QLineEdit*>(QString::number(kTo))->text();
    from_ = findChild<QLineEdit*>(QString::number(kFrom))->text();
    partNo_ = findChild<QLineEdit*>(QString::number(kPartNo))->text();
    QDialog::accept();
}

} // namespace halden
