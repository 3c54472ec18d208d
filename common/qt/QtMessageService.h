#pragma once

#include "MessageService.h"

#include <QPointer>
#include <QWidget>

namespace halden {

// Messages as modal message boxes, owned by the owner window when one is set.
class QtMessageService : public MessageService {
public:
    void setOwner(QWidget* owner) { owner_ = owner; }

    MessageAnswer show(std::u16string_view text, std::u16string_view caption,
                       MessageStyle style) override;
    void beep(MessageIcon icon) override;

private:
    QPointer<QWidget> owner_;
};

} // namespace halden
