#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QDialogButtonBox;
class QLineEdit;

namespace halden {

// The "Go to address" dialog: one line of hex, OK only while it holds an address.
class HexAddressDialog : public QDialog {
    Q_OBJECT

public:
    explicit HexAddressDialog(std::uint64_t current, unsigned digits, QWidget* parent = nullptr);

    std::optional<std::uint64_t> address() const;

private:
    void updateOk();

    QLineEdit* edit_;
    QDialogButtonBox* buttons_;
};

} // namespace halden
