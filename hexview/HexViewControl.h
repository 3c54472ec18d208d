#pragma once

#include <QtPlugin>

#include <functional>

class QWidget;

namespace halden {

// One hex view control as its owner sees it. The control owns the code buffer's bytes.
class HexViewControl {
public:
    virtual ~HexViewControl() = default;

    // The widget to place in a window; owned by its parent widget.
    virtual QWidget* widget() = 0;
    // Called after every change of the bytes (the control's change notification).
    virtual void setChangeHandler(std::function<void()> handler) = 0;
};

// A window class that a control library registers: the name a dialog template
// uses, and the factory that makes its controls.
class WindowClass {
public:
    virtual ~WindowClass() = default;

    virtual const char* className() const = 0;
    // A new control, its widget a child of parent.
    virtual HexViewControl* create(QWidget* parent) = 0;
};

} // namespace halden

#define HALDEN_WINDOW_CLASS_IID "org.halden.WindowClass/1.0"
Q_DECLARE_INTERFACE(halden::WindowClass, HALDEN_WINDOW_CLASS_IID)
