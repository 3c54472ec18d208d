#pragma once

#include "programmer/buffer/AreaChoice.h"

#include <QDialog>

namespace halden {

class UiText;

// "Select AP/IAP area" (template 146): AP loads at 0, IAP at the typed hex address;
// "Clear Buffer" empties the code buffer before the load.
class AreaDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 146;
    static constexpr int kAddressEdit = 1011;
    static constexpr int kAp = 1043;
    static constexpr int kIap = 1044;
    static constexpr int kClearBuffer = 1150;

    AreaDialog(const UiText& text, std::uint32_t defaultAddress, QWidget* parent = nullptr);

    // The choice as OK takes it.
    AreaChoice choice() const;
};

// Asks through the real dialog, owned by the main window.
class AreaDialogChooser : public AreaChooser {
public:
    AreaDialogChooser(const UiText& text, QWidget* owner) : text_(text), owner_(owner) {}
    std::optional<AreaChoice> chooseArea(std::uint32_t defaultAddress) override;

private:
    const UiText& text_;
    QWidget* owner_;
};

} // namespace halden
