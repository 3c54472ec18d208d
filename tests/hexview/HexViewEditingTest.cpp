#include "tests/hexview/HexViewTestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace halden {
namespace {

using Range = HexCursor::Range;

class HexViewEditingTest : public HexViewFixture {
protected:
    void trigger(const char* action) {
        auto* found = view.findChild<QAction*>(action);
        ASSERT_NE(found, nullptr) << action;
        found->trigger();
    }

    void setClipboardText(const QString& text) { QApplication::clipboard()->setText(text); }
};

TEST_F(HexViewEditingTest, HexDigitsOverwriteNibbleByNibble) {
    set({0x00, 0x00, 0x00});
    type("a1B");
    EXPECT_EQ(bytes(), (Bytes{0xA1, 0xB0, 0x00}));
    EXPECT_EQ(changes, 3);
    type("xz");
    EXPECT_EQ(changes, 3) << "letters that are not hex digits are not typed";
}

TEST_F(HexViewEditingTest, TabSwitchesBetweenHexAndAsciiColumns) {
    set({0x00, 0x00, 0x00, 0x00});
    key(Qt::Key_Tab);
    type("Hi");
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    type("7F");
    EXPECT_EQ(bytes(), (Bytes{'H', 'i', 0x7F, 0x00}));
}

TEST_F(HexViewEditingTest, TypingPastTheEndAppendsUpToTheCapacity) {
    control().setCapacity(4);
    set({0x01});
    key(Qt::Key_End, Qt::ControlModifier);
    type("4");
    EXPECT_EQ(bytes(), (Bytes{0x01, 0x4F})) << "an appended byte starts erased";
    type("2");
    key(Qt::Key_Tab);
    type("CDE");
    EXPECT_EQ(bytes(), (Bytes{0x01, 0x42, 'C', 'D'}));
    EXPECT_EQ(changes, 4) << "the character past the capacity changes nothing";
}

struct KeyStep {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::size_t position;
};

TEST_F(HexViewEditingTest, MovementKeysMoveTheCursor) {
    set(Bytes(1000, 0));
    const std::size_t page = view.hexLayout().pageRows(view.viewport()->height()) * 16;
    const KeyStep steps[] = {
        {Qt::Key_Right, Qt::NoModifier, 1},
        {Qt::Key_Down, Qt::NoModifier, 17},
        {Qt::Key_End, Qt::NoModifier, 31},
        {Qt::Key_Home, Qt::NoModifier, 16},
        {Qt::Key_Left, Qt::NoModifier, 15},
        {Qt::Key_Up, Qt::NoModifier, 15},
        {Qt::Key_PageDown, Qt::NoModifier, 15 + page},
        {Qt::Key_PageUp, Qt::NoModifier, 15},
        {Qt::Key_End, Qt::ControlModifier, 1000},
        {Qt::Key_Home, Qt::ControlModifier, 0},
    };
    for (const KeyStep& step : steps) {
        key(step.key, step.modifiers);
        EXPECT_EQ(view.editCursor().position(), step.position) << "key " << step.key;
    }
    EXPECT_FALSE(view.editCursor().hasSelection());
}

TEST_F(HexViewEditingTest, ShiftMovementSelectsAndDeleteShortensTheBuffer) {
    set({0, 1, 2, 3, 4, 5, 6, 7});
    key(Qt::Key_Right);
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Right, Qt::ShiftModifier);
    }
    EXPECT_EQ(view.editCursor().selection(), (Range{1, 4}));
    key(Qt::Key_Delete);
    EXPECT_EQ(bytes(), (Bytes{0, 4, 5, 6, 7}));
    EXPECT_EQ(changes, 1);
    key(Qt::Key_Backspace);
    EXPECT_EQ(bytes(), (Bytes{4, 5, 6, 7}));
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Delete);
    EXPECT_EQ(control().length(), 0u);
    key(Qt::Key_Delete);
    key(Qt::Key_Backspace);
    EXPECT_EQ(changes, 3) << "deleting in an empty buffer changes nothing";
}

TEST_F(HexViewEditingTest, CopyPutsHexTextAndRawBytesOnTheClipboard) {
    set({0xDE, 0x00, 0x41, 0xEF});
    key(Qt::Key_Right);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text(), "00 41");
    EXPECT_EQ(mime->data("application/octet-stream"), QByteArray("\x00\x41", 2));

    // The raw bytes paste back exactly, in either column.
    key(Qt::Key_Tab);
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bytes(), (Bytes{0xDE, 0x00, 0x41, 0xEF, 0x00, 0x41}));
    EXPECT_EQ(changes, 1);
}

TEST_F(HexViewEditingTest, CutRemovesTheSelectionOntoTheClipboard) {
    set({1, 2, 3, 4});
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(bytes(), (Bytes{3, 4}));
    EXPECT_EQ(QApplication::clipboard()->text(), "01 02");
    EXPECT_EQ(changes, 1);
}

TEST_F(HexViewEditingTest, PastedTextIsHexInTheHexColumnAndCharactersInTheAsciiColumn) {
    control().setCapacity(6);
    set({0, 0, 0});
    setClipboardText("DE AD BE EF");
    key(Qt::Key_Right);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bytes(), (Bytes{0x00, 0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(view.editCursor().position(), 5u);

    setClipboardText("Hi!");
    key(Qt::Key_Tab);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bytes(), (Bytes{0x00, 0xDE, 0xAD, 0xBE, 0xEF, 'H'})) << "cut at the capacity";

    setClipboardText("not hex");
    key(Qt::Key_Tab);
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bytes()[0], 0x00);
    EXPECT_EQ(changes, 2);
}

TEST_F(HexViewEditingTest, MouseClickDragAndShiftClickSelect) {
    set(Bytes(40, 0));
    mouse(QEvent::MouseButtonPress, hexPoint(3));
    mouse(QEvent::MouseButtonRelease, hexPoint(3));
    EXPECT_EQ(view.editCursor().position(), 3u);
    EXPECT_FALSE(view.editCursor().hasSelection());

    mouse(QEvent::MouseButtonPress, hexPoint(18));
    mouse(QEvent::MouseMove, hexPoint(20));
    mouse(QEvent::MouseButtonRelease, hexPoint(20));
    EXPECT_EQ(view.editCursor().selection(), (Range{18, 21}));

    mouse(QEvent::MouseButtonPress, hexPoint(5));
    mouse(QEvent::MouseMove, hexPoint(2));
    EXPECT_EQ(view.editCursor().selection(), (Range{2, 6})) << "dragging backwards";
    mouse(QEvent::MouseButtonRelease, hexPoint(2));

    mouse(QEvent::MouseButtonPress, asciiPoint(9), Qt::ShiftModifier);
    EXPECT_EQ(view.editCursor().selection(), (Range{6, 9}));
    EXPECT_EQ(view.editCursor().column(), HexCursor::Column::Ascii);
    type("Q");
    EXPECT_EQ(bytes()[6], 'Q');
}

TEST_F(HexViewEditingTest, ContextMenuActionsEdit) {
    set({1, 2, 3, 4});
    trigger("hexSelectAll");
    EXPECT_EQ(view.editCursor().selection(), (Range{0, 4}));
    trigger("hexCopy");
    EXPECT_EQ(QApplication::clipboard()->text(), "01 02 03 04");
    trigger("hexDelete");
    EXPECT_EQ(control().length(), 0u);
    trigger("hexPaste");
    EXPECT_EQ(bytes(), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(changes, 2);
}

TEST_F(HexViewEditingTest, GoToAddressAsksForHexAndMovesThere) {
    set(Bytes(0x400, 0));
    bool okWasEnabledForBadText = true;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("address");
        auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        edit->setText("");
        okWasEnabledForBadText = ok->isEnabled();
        edit->setText("0x3A7");
        ok->click();
    });
    trigger("hexGoTo");
    EXPECT_FALSE(okWasEnabledForBadText);
    EXPECT_EQ(view.editCursor().position(), 0x3A7u);
    EXPECT_LE(view.verticalScrollBar()->value(), 0x3A);
    EXPECT_GT(view.verticalScrollBar()->value() + view.verticalScrollBar()->pageStep(), 0x3A)
        << "the row scrolled into view";

    view.goToAddress(0x10000);
    EXPECT_EQ(view.editCursor().position(), 0x400u) << "past the end lands at the end";
}

} // namespace
} // namespace halden
