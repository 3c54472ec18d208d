#pragma once

#include "common/MessageService.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QMessageBox;

namespace halden {

// Messages as modal message boxes, owned by the owner window when one is set.
class QtMessageService : public MessageService {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }

    // The programs' message service: message boxes, or with HALDEN_MESSAGES=console one
    // line on standard error for each message, answered with its default button, for
    // scripted runs of the programs.
    static std::unique_ptr<MessageService> fromEnvironment();

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override;

    // The box show() runs: at least as wide as its caption needs in the title bar beside
    // the title bar's icon and buttons, so the caption is never cut.
    static std::unique_ptr<QMessageBox> makeBox(std::u16string_view text,
                                                std::u16string_view caption, MessageStyle style,
                                                QWidget* owner);
    // The width a caption needs: its text in the title bar's font and room for the rest.
    static int captionWidth(const QString& caption);

private:
    QPointer<QWidget> owner_;
};

} // namespace halden
