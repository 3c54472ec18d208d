#include "common/qt/QtMessageService.h"
#include "common/ConsoleMessageService.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

std::unique_ptr<MessageService> QtMessageService::fromEnvironment() {
    const char* mode = std::getenv("HALDEN_MESSAGES");
    if (mode != nullptr && std::string_view(mode) == "console") {
        return std::make_unique<ConsoleMessageService>(std::cerr);
    }
    return std::make_unique<QtMessageService>();
}

MessageAnswer QtMessageService::show(std::u16string_view text, std::u16string_view caption,
                                     MessageStyle style) {
    const auto box = makeBox(text, caption, style, owner_.data());
    return toAnswer(box->exec());
}

int QtMessageService::captionWidth(const QString& caption) {
    // The window icon, the close button and the frame's margins, as most title bars draw them.
    constexpr int kTitleBarAllowance = 120;
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarAllowance;
}

std::unique_ptr<QMessageBox> QtMessageService::makeBox(std::u16string_view text,
                                                       std::u16string_view caption,
                                                       MessageStyle style, QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(toIcon(style.icon), toQString(caption),
                                             toQString(text), toButtons(style.buttons), owner);
    box->setDefaultButton(toButton(defaultAnswer(style)));
    // A message box sizes itself to its text and ignores a minimum width; a spacer across
    // its grid widens it.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(captionWidth(box->windowTitle()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

void QtMessageService::beep(MessageIcon) {
    QApplication::beep();
}

} // namespace halden
