#pragma once

#include "hexview/qt/HexView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

namespace halden {

using Bytes = std::vector<std::uint8_t>;

// A shown view with a counting change handler, driven by real key and mouse events.
class HexViewFixture : public testing::Test {
protected:
    HexViewFixture() {
        view.resize(800, 240);
        view.setChangeHandler([this] { ++changes; });
        view.show();
        QApplication::processEvents();
    }

    HexViewControl& control() { return view; }

    void set(const Bytes& bytes) {
        control().setData(bytes.data(), bytes.size());
        changes = 0;
    }

    Bytes bytes() const {
        Bytes out(view.length());
        view.getData(out.data(), out.size());
        return out;
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&view, &event);
    }

    // Each character as the key press a keyboard makes for it.
    void type(const QString& text) {
        for (const QChar c : text) {
            key(c.toUpper().unicode(), Qt::NoModifier, QString(c));
        }
    }

    void mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(view.viewport(), &event);
    }

    // The middle of a byte's high hex digit, or of its ASCII cell, in the first shown rows.
    QPoint hexPoint(std::size_t offset) const {
        const HexLayout& layout = view.hexLayout();
        return {layout.hexX(layout.columnOf(offset)) + layout.charWidth() / 2,
                static_cast<int>(layout.rowOf(offset)) * layout.lineHeight() + 2};
    }
    QPoint asciiPoint(std::size_t offset) const {
        const HexLayout& layout = view.hexLayout();
        return {layout.asciiX(layout.columnOf(offset)) + layout.charWidth() / 2,
                static_cast<int>(layout.rowOf(offset)) * layout.lineHeight() + 2};
    }

    HexView view;
    int changes = 0;
};

} // namespace halden
