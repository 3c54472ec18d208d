#pragma once

#include <QtPlugin>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class QWidget;

namespace halden {

// One hex view control as its owner sees it. The control owns the code buffer's bytes.
//
// The owner loads the control's library by file name and never links it, so this
// interface is all it knows: plain virtual calls, no signals.
class HexViewControl {
public:
    // What each of the eight colours of setColors() paints.
    enum ColorSlot : unsigned {
        kAddressBackground = 0,
        kAddressText = 1,
        kHexBackground = 2,
        kHexText = 3,
        kAsciiBackground = 4,
        kAsciiText = 5,
        // Everything outside the three columns: right of the ASCII column and below the last row.
        kOutsideBackground = 6,
        kSelectionBackground = 7,
        kColorCount = 8,
    };
    using Colors = std::array<std::uint32_t, kColorCount>;

    // The capacity until the owner sets one: the largest flash of the catalogue.
    static constexpr std::size_t kDefaultCapacity = 0x40000;

    virtual ~HexViewControl() = default;

    // The widget to place in a window; owned by its parent widget.
    virtual QWidget* widget() = 0;
    // Called after every change of the bytes (the control's change notification): after
    // setData(), after clearAll() if the buffer held data, after setCapacity() if it cut
    // bytes, and after every edit, cut, paste and delete by the user.
    virtual void setChangeHandler(std::function<void()> handler) = 0;

    // Replaces the whole buffer with a copy of the first min(count, capacity) bytes, clears
    // the selection and notifies. A null pointer or a zero count changes nothing.
    // Returns the buffer's length.
    virtual std::size_t setData(const std::uint8_t* bytes, std::size_t count) = 0;
    // With destination and count both non-zero, copies min(count, length) bytes from the
    // start of the buffer and returns that number; otherwise returns the length.
    virtual std::size_t getData(std::uint8_t* destination, std::size_t count) const = 0;
    virtual std::size_t length() const = 0;
    // bytesPerLine at most 256, addressDigits (hex digits of the address column) at most 16;
    // 0 leaves a value unchanged, larger values are limited. Returns the bytes per line.
    virtual unsigned setLayout(unsigned bytesPerLine, unsigned addressDigits) = 0;
    // Sets each colour (0x00RRGGBB) whose mask bit is set, bit 0 for slot 0.
    virtual void setColors(std::uint32_t mask, const Colors& rgb) = 0;
    // The display font's pixel height (the magnitude of a negative height); 0 returns to
    // the default height.
    virtual void setFontHeight(int height) = 0;
    // The sum of all byte values, kept in 32 bits; 0 when empty.
    virtual std::uint32_t sum() const = 0;
    // Cuts a longer buffer to the new capacity. Returns the capacity.
    virtual std::size_t setCapacity(std::size_t capacity) = 0;
    virtual std::size_t capacity() const = 0;
    // Empties the buffer; notifies only if it held data.
    virtual void clearAll() = 0;
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
