#pragma once

#include "hexview/HexDocument.h"
#include "hexview/HexLayout.h"
#include "hexview/qt/HexViewControl.h"

#include <QAbstractScrollArea>
#include <QFont>

#include <optional>

class QAction;
class QMenu;

namespace halden {

// The hex view widget: address, hex and ASCII columns over the code buffer. It maps
// events onto the editing model and paints the rows the viewport shows, nothing more.
class HexView : public QAbstractScrollArea, public HexViewControl {
    Q_OBJECT

public:
    explicit HexView(QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    void setChangeHandler(std::function<void()> handler) override;
    std::size_t setData(const std::uint8_t* bytes, std::size_t count) override;
    std::size_t getData(std::uint8_t* destination, std::size_t count) const override;
    std::size_t length() const override { return document_.buffer().size(); }
    unsigned setLayout(unsigned bytesPerLine, unsigned addressDigits) override;
    using QAbstractScrollArea::setLayout;
    void setColors(std::uint32_t mask, const Colors& rgb) override;
    void setFontHeight(int height) override;
    std::uint32_t sum() const override { return document_.buffer().sum(); }
    std::size_t setCapacity(std::size_t capacity) override;
    std::size_t capacity() const override { return document_.buffer().capacity(); }
    void clearAll() override;

    const HexCursor& editCursor() const { return document_.cursor(); }
    const HexLayout& hexLayout() const { return layout_; }
    // Moves the cursor to an offset (the end if past it) and scrolls it into view.
    void goToAddress(std::size_t offset);

public slots:
    void copy();
    void cut();
    void paste();
    void deleteSelection();
    void selectAll();
    // Asks for an address in a small dialog and goes there.
    void goToAddressDialog();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void createActions();
    QAction* addMenuAction(const char* name, const QString& text, void (HexView::*slot)());
    bool moveKey(const QKeyEvent& event);
    bool editKey(const QKeyEvent& event);
    bool typeText(const QString& text);
    HexLayout::Hit hitAt(const QPoint& point) const;
    std::size_t firstRow() const;
    HexCursor::Rows rows() const;

    // After the cursor moved: keep it in view and repaint.
    void cursorMoved();
    // After an edit: scroll bars, repaint, and the owner's notification when it changed.
    void edited(bool changed);
    void updateMetrics();
    void updateScrollBars();
    void ensureCursorVisible();

    void paintRow(QPainter& painter, std::size_t row, int y) const;
    void paintSelection(QPainter& painter, std::size_t rowOffset, std::size_t count, int y) const;
    void paintCursor(QPainter& painter, const HexLayout::RowRange& rows) const;
    QColor color(ColorSlot slot) const;

    HexDocument document_{kDefaultCapacity};
    HexLayout layout_;
    Colors colors_;
    QFont font_;
    int defaultFontHeight_ = 0;
    int ascent_ = 0;
    std::function<void()> changeHandler_;
    std::optional<std::size_t> dragAnchor_;
    QMenu* contextMenu_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* cutAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
};

} // namespace halden
