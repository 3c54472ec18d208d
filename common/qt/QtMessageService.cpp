#include "QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace halden {

namespace {

QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon toIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton toButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

MessageAnswer toAnswer(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer QtMessageService::show(std::u16string_view text, std::u16string_view caption,
                                     MessageStyle style) {
    QMessageBox box(toIcon(style.icon), toQString(caption), toQString(text),
                    toButtons(style.buttons), owner_.data());
    box.setDefaultButton(toButton(defaultAnswer(style)));
    return toAnswer(box.exec());
}

void QtMessageService::beep(MessageIcon) {
    QApplication::beep();
}

} // namespace halden
