#pragma once

#include "HexViewControl.h"

#include <QAbstractScrollArea>

namespace halden {

// The hex view widget: address, hex and ASCII columns over the code buffer.
class HexView : public QAbstractScrollArea, public HexViewControl {
    Q_OBJECT

public:
    explicit HexView(QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    void setChangeHandler(std::function<void()> handler) override {
        changeHandler_ = std::move(handler);
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> changeHandler_;
};

} // namespace halden
