#include "common/qt/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace halden {

namespace {

QString toQString(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

QWidget* makeControl(const DialogTemplate::Control& control, QWidget& dialog,
                     const DialogBuilder::CustomFactory& customFactory) {
    using Kind = DialogTemplate::Kind;
    const QString text = toQString(control.text);
    switch (control.kind) {
    case Kind::Bitmap: {
        auto* label = new QLabel(&dialog);
        label->setPixmap(QPixmap(QString::fromStdString(control.name)));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::GroupBox:
        return new QGroupBox(text, &dialog);
    case Kind::Static:
        return new QLabel(text, &dialog);
    case Kind::StaticPane: {
        auto* pane = new QLabel(text, &dialog);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return pane;
    }
    case Kind::Edit:
        return new QLineEdit(text, &dialog);
    case Kind::Button:
        return new QPushButton(text, &dialog);
    case Kind::RadioButton:
        return new QRadioButton(text, &dialog);
    case Kind::CheckBox:
        return new QCheckBox(text, &dialog);
    case Kind::ComboDropDown:
    case Kind::ComboDropList: {
        auto* combo = new QComboBox(&dialog);
        combo->setEditable(control.kind == Kind::ComboDropDown);
        if (control.sorted) {
            combo->setInsertPolicy(QComboBox::InsertAlphabetically);
        }
        return combo;
    }
    case Kind::Custom:
        return customFactory ? customFactory(control.name, &dialog) : new QWidget(&dialog);
    }
    return new QWidget(&dialog);
}

// Buttons 1 and 2 are the dialog's OK and Cancel commands.
void connectCommand(QWidget& dialog, int id, QWidget* widget) {
    auto* owner = qobject_cast<QDialog*>(&dialog);
    auto* button = qobject_cast<QPushButton*>(widget);
    if (owner == nullptr || button == nullptr) {
        return;
    }
    if (id == 1) {
        QObject::connect(button, &QPushButton::clicked, owner, &QDialog::accept);
    } else if (id == 2) {
        QObject::connect(button, &QPushButton::clicked, owner, &QDialog::reject);
    }
}

} // namespace

DialogUnits DialogBuilder::baseUnits(const QFont& font) {
    // The average width of the Latin letters, rounded as the system rounds it.
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

QString DialogBuilder::objectName(const DialogTemplate::Control& control) {
    if (control.id >= 0) {
        return QString::number(control.id);
    }
    return QString::fromStdString(control.kind == DialogTemplate::Kind::Bitmap ? "bitmap"
                                                                               : control.name);
}

void DialogBuilder::build(QWidget& dialog, const DialogTemplate& dialogTemplate,
                          const CustomFactory& customFactory) {
    // The templates' font is rarely installed here; these share its proportions.
    QFont::insertSubstitutions("Tahoma", {"Liberation Sans", "Arimo", "Arial", "DejaVu Sans"});
    QFont font(QString::fromStdString(dialogTemplate.fontFamily));
    font.setPointSize(dialogTemplate.fontPointSize);
    dialog.setFont(font);
    const DialogUnits units = baseUnits(font);
    dialog.setFixedSize(units.toPixelsX(dialogTemplate.width),
                        units.toPixelsY(dialogTemplate.height));
    dialog.setWindowTitle(toQString(dialogTemplate.caption));
    // The classic look the templates were laid out for: a small gap between a box and
    // its text, and group titles that sit on the frame's top line.
    dialog.setStyleSheet(
        "QCheckBox, QRadioButton { spacing: 3px; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.6em; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }");

    std::vector<QWidget*> underlays;
    for (const auto& control : dialogTemplate.controls) {
        QWidget* widget = makeControl(control, dialog, customFactory);
        widget->setObjectName(objectName(control));
        auto rect = units.toPixels(control.rect);
        // A combo box's template height includes its drop-down list.
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            rect.height = combo->sizeHint().height();
        }
        widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
        widget->setEnabled(!control.disabled);
        widget->setVisible(!control.hidden);
        connectCommand(dialog, control.id, widget);
        if (control.kind == DialogTemplate::Kind::GroupBox ||
            control.kind == DialogTemplate::Kind::Bitmap) {
            underlays.push_back(widget);
        }
    }
    for (auto it = underlays.rbegin(); it != underlays.rend(); ++it) {
        (*it)->lower();
    }
}

} // namespace halden
