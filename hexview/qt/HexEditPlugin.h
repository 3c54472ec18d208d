#pragma once

#include "hexview/qt/HexViewControl.h"

#include <QObject>

namespace halden {

// The root object of the HexEdit library: registers the window class HEXEDIT10.
class HexEditPlugin : public QObject, public WindowClass {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HALDEN_WINDOW_CLASS_IID)
    Q_INTERFACES(halden::WindowClass)

public:
    static constexpr const char* kClassName = "HEXEDIT10";

    const char* className() const override { return kClassName; }
    HexViewControl* create(QWidget* parent) override;
};

} // namespace halden
