#include "hexview/qt/HexView.h"

#include "hexview/HexText.h"
#include "hexview/qt/HexAddressDialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace halden {

namespace {

const QString kRawMimeType = QStringLiteral("application/octet-stream");

// White columns, dark text, a light blue selection.
constexpr HexViewControl::Colors kDefaultColors = {0xFFFFFF, 0x000080, 0xFFFFFF, 0x000000,
                                                   0xFFFFFF, 0x000000, 0xFFFFFF, 0xA6CAF0};

int toScrollValue(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, INT_MAX));
}

bool isTabKey(const QKeyEvent& event) {
    const bool plain = (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    return plain && (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab);
}

bool isEditShortcut(const QKeyEvent& event) {
    return event.matches(QKeySequence::Copy) || event.matches(QKeySequence::Cut) ||
           event.matches(QKeySequence::Paste) || event.matches(QKeySequence::SelectAll) ||
           event.matches(QKeySequence::Delete) || event.key() == Qt::Key_Backspace;
}

std::optional<HexCursor::Move> moveFor(const QKeyEvent& event) {
    using Move = HexCursor::Move;
    const bool control = (event.modifiers() & Qt::ControlModifier) != 0;
    switch (event.key()) {
    case Qt::Key_Left:
        return Move::Left;
    case Qt::Key_Right:
        return Move::Right;
    case Qt::Key_Up:
        return Move::Up;
    case Qt::Key_Down:
        return Move::Down;
    case Qt::Key_PageUp:
        return Move::PageUp;
    case Qt::Key_PageDown:
        return Move::PageDown;
    case Qt::Key_Home:
        return control ? Move::DocumentStart : Move::LineStart;
    case Qt::Key_End:
        return control ? Move::DocumentEnd : Move::LineEnd;
    default:
        return std::nullopt;
    }
}

} // namespace

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent), colors_(kDefaultColors) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font_.setStyleHint(QFont::Monospace);
    defaultFontHeight_ = QFontInfo(font_).pixelSize();
    createActions();
    updateMetrics();
}

void HexView::setChangeHandler(std::function<void()> handler) {
    changeHandler_ = std::move(handler);
}

std::size_t HexView::setData(const std::uint8_t* bytes, std::size_t count) {
    if (bytes == nullptr || count == 0) {
        return length();
    }
    document_.replace(bytes, count);
    edited(true);
    return length();
}

std::size_t HexView::getData(std::uint8_t* destination, std::size_t count) const {
    if (destination == nullptr || count == 0) {
        return length();
    }
    return document_.buffer().copyTo(destination, count);
}

unsigned HexView::setLayout(unsigned bytesPerLine, unsigned addressDigits) {
    layout_.setBytesPerLine(bytesPerLine);
    layout_.setAddressDigits(addressDigits);
    updateScrollBars();
    ensureCursorVisible();
    viewport()->update();
    return layout_.bytesPerLine();
}

void HexView::setColors(std::uint32_t mask, const Colors& rgb) {
    for (unsigned slot = 0; slot < kColorCount; ++slot) {
        if ((mask & (1u << slot)) != 0) {
            colors_[slot] = rgb[slot] & 0xFFFFFF;
        }
    }
    viewport()->update();
}

// A positive height is the character cell's (ascent plus descent), a negative one the
// characters' own: the cell of a positive height holds the largest font that fits.
void HexView::setFontHeight(int height) {
    const int wanted = height != 0 ? std::abs(height) : defaultFontHeight_;
    font_.setPixelSize(wanted);
    if (height > 0) {
        for (int size = wanted; size > 1 && QFontMetrics(font_).height() > wanted; --size) {
            font_.setPixelSize(size - 1);
        }
    }
    updateMetrics();
}

std::size_t HexView::setCapacity(std::size_t capacity) {
    edited(document_.setCapacity(capacity));
    return this->capacity();
}

void HexView::clearAll() {
    edited(document_.clear());
}

void HexView::goToAddress(std::size_t offset) {
    document_.placeCursor(offset, document_.cursor().column(), 0, false);
    cursorMoved();
}

void HexView::copy() {
    if (!document_.cursor().hasSelection()) {
        return;
    }
    const std::vector<std::uint8_t> bytes = document_.selectedBytes();
    auto* mime = new QMimeData;
    mime->setText(QString::fromStdString(HexText::bytes(bytes.data(), bytes.size())));
    mime->setData(kRawMimeType, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<qsizetype>(bytes.size())));
    QApplication::clipboard()->setMimeData(mime);
}

void HexView::cut() {
    if (document_.cursor().hasSelection()) {
        copy();
        edited(document_.deleteSelection());
    }
}

// Raw bytes when the clipboard has them (our own copies do). Text is hex in the hex
// column and characters in the ASCII column.
void HexView::paste() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (mime == nullptr) {
        return;
    }
    std::vector<std::uint8_t> bytes;
    if (mime->hasFormat(kRawMimeType)) {
        const QByteArray raw = mime->data(kRawMimeType);
        bytes.assign(raw.begin(), raw.end());
    } else if (document_.cursor().column() == HexCursor::Column::Ascii) {
        const QByteArray text = mime->text().toLatin1();
        bytes.assign(text.begin(), text.end());
    } else if (auto parsed = HexText::parseBytes(mime->text().toStdString())) {
        bytes = std::move(*parsed);
    }
    if (!bytes.empty()) {
        edited(document_.paste(bytes));
    }
}

void HexView::deleteSelection() {
    edited(document_.deleteSelection());
}

void HexView::selectAll() {
    document_.selectAll();
    cursorMoved();
}

void HexView::goToAddressDialog() {
    HexAddressDialog dialog(document_.cursor().position(), layout_.addressDigits(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    if (const auto address = dialog.address()) {
        goToAddress(static_cast<std::size_t>(std::min<std::uint64_t>(*address, SIZE_MAX)));
    }
}

// Tab belongs to the view, not to the focus chain: it switches between the columns. The
// editing keys win over the window's shortcuts while the view has the focus.
bool HexView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        if (isEditShortcut(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && isTabKey(*static_cast<QKeyEvent*>(event))) {
        document_.toggleColumn();
        cursorMoved();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void HexView::keyPressEvent(QKeyEvent* event) {
    if (editKey(*event) || moveKey(*event) || typeText(event->text())) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool HexView::editKey(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Copy)) {
        copy();
    } else if (event.matches(QKeySequence::Cut)) {
        cut();
    } else if (event.matches(QKeySequence::Paste)) {
        paste();
    } else if (event.matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event.matches(QKeySequence::Delete)) {
        edited(document_.deleteForward());
    } else if (event.key() == Qt::Key_Backspace) {
        edited(document_.deleteBackward());
    } else if (event.key() == Qt::Key_G && event.modifiers() == Qt::ControlModifier) {
        goToAddressDialog();
    } else {
        return false;
    }
    return true;
}

bool HexView::moveKey(const QKeyEvent& event) {
    const std::optional<HexCursor::Move> move = moveFor(event);
    if (!move) {
        return false;
    }
    document_.moveCursor(*move, rows(), (event.modifiers() & Qt::ShiftModifier) != 0);
    cursorMoved();
    return true;
}

bool HexView::typeText(const QString& text) {
    if (text.size() != 1) {
        return false;
    }
    const char16_t c = text.at(0).unicode();
    if (document_.cursor().column() == HexCursor::Column::Hex) {
        const int value = c < 0x80 ? HexText::digitValue(static_cast<char>(c)) : -1;
        if (value < 0) {
            return false;
        }
        edited(document_.typeHexDigit(static_cast<unsigned>(value)));
        return true;
    }
    if (c > 0xFF || !HexText::isPrintable(static_cast<std::uint8_t>(c))) {
        return false;
    }
    edited(document_.typeByte(static_cast<std::uint8_t>(c)));
    return true;
}

void HexView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const HexLayout::Hit hit = hitAt(event->position().toPoint());
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    HexCursor::Column column = document_.cursor().column();
    if (hit.area != HexLayout::Area::Address) {
        column =
            hit.area == HexLayout::Area::Hex ? HexCursor::Column::Hex : HexCursor::Column::Ascii;
    }
    document_.placeCursor(hit.offset, column, hit.nibble, extend);
    dragAnchor_ = extend ? std::nullopt : std::optional(document_.cursor().position());
    cursorMoved();
}

void HexView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragAnchor_ || (event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    const std::size_t offset = hitAt(event->position().toPoint()).offset;
    if (offset == *dragAnchor_) {
        document_.placeCursor(offset, document_.cursor().column(), 0, false);
    } else {
        document_.selectBytes(*dragAnchor_, offset);
    }
    cursorMoved();
}

void HexView::mouseReleaseEvent(QMouseEvent* event) {
    dragAnchor_.reset();
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void HexView::contextMenuEvent(QContextMenuEvent* event) {
    const bool selected = document_.cursor().hasSelection();
    copyAction_->setEnabled(selected);
    cutAction_->setEnabled(selected);
    deleteAction_->setEnabled(selected);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    pasteAction_->setEnabled(mime != nullptr && (mime->hasText() || mime->hasFormat(kRawMimeType)));
    contextMenu_->exec(event->globalPos());
}

void HexView::createActions() {
    contextMenu_ = new QMenu(this);
    copyAction_ = addMenuAction("hexCopy", tr("&Copy"), &HexView::copy);
    cutAction_ = addMenuAction("hexCut", tr("Cu&t"), &HexView::cut);
    pasteAction_ = addMenuAction("hexPaste", tr("&Paste"), &HexView::paste);
    deleteAction_ = addMenuAction("hexDelete", tr("&Delete"), &HexView::deleteSelection);
    contextMenu_->addSeparator();
    addMenuAction("hexSelectAll", tr("Select &All"), &HexView::selectAll);
    addMenuAction("hexGoTo", tr("&Go to address..."), &HexView::goToAddressDialog);
}

QAction* HexView::addMenuAction(const char* name, const QString& text, void (HexView::*slot)()) {
    QAction* action = contextMenu_->addAction(text, this, slot);
    action->setObjectName(name);
    return action;
}

HexLayout::Hit HexView::hitAt(const QPoint& point) const {
    return layout_.hitTest(point.x() + horizontalScrollBar()->value(), point.y(), firstRow());
}

std::size_t HexView::firstRow() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

HexCursor::Rows HexView::rows() const {
    return {layout_.bytesPerLine(), layout_.pageRows(viewport()->height())};
}

void HexView::cursorMoved() {
    ensureCursorVisible();
    viewport()->update();
}

void HexView::edited(bool changed) {
    updateScrollBars();
    cursorMoved();
    if (changed && changeHandler_) {
        changeHandler_();
    }
}

// The layout counts in whole pixels, but a font's advance is often fractional: letter
// spacing pads each character to the next whole pixel, so a row drawn as one string keeps
// every character in its cell.
void HexView::updateMetrics() {
    font_.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const qreal advance = QFontMetricsF(font_).horizontalAdvance(QLatin1Char('0'));
    const int charWidth = static_cast<int>(std::ceil(advance));
    font_.setLetterSpacing(QFont::AbsoluteSpacing, charWidth - advance);
    const QFontMetrics metrics(font_);
    layout_.setMetrics(charWidth, metrics.height());
    ascent_ = metrics.ascent();
    updateScrollBars();
    ensureCursorVisible();
    viewport()->update();
}

void HexView::updateScrollBars() {
    const std::size_t rowCount = layout_.rowCount(length());
    const std::size_t page = layout_.pageRows(viewport()->height());
    verticalScrollBar()->setRange(0, toScrollValue(rowCount > page ? rowCount - page : 0));
    verticalScrollBar()->setPageStep(toScrollValue(page));
    verticalScrollBar()->setSingleStep(1);
    const int width = viewport()->width();
    horizontalScrollBar()->setRange(0, std::max(layout_.lineWidth() - width, 0));
    horizontalScrollBar()->setPageStep(width);
    horizontalScrollBar()->setSingleStep(layout_.charWidth());
}

void HexView::ensureCursorVisible() {
    const std::size_t row = layout_.rowOf(document_.cursor().position());
    const std::size_t first = firstRow();
    const std::size_t page = layout_.pageRows(viewport()->height());
    if (row < first) {
        verticalScrollBar()->setValue(toScrollValue(row));
    } else if (row >= first + page) {
        verticalScrollBar()->setValue(toScrollValue(row - page + 1));
    }
    const unsigned column = layout_.columnOf(document_.cursor().position());
    const int x = document_.cursor().column() == HexCursor::Column::Hex ? layout_.hexX(column)
                                                                        : layout_.asciiX(column);
    QScrollBar* bar = horizontalScrollBar();
    const int right = x + 2 * layout_.charWidth();
    if (x < bar->value()) {
        bar->setValue(x);
    } else if (right > bar->value() + viewport()->width()) {
        bar->setValue(right - viewport()->width());
    }
}

void HexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

// Reads only the bytes of the rows the viewport shows, so painting costs the same at any
// buffer size.
void HexView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font_);
    painter.translate(-horizontalScrollBar()->value(), 0);
    const QRect area = viewport()->rect().translated(horizontalScrollBar()->value(), 0);
    painter.fillRect(area, color(kOutsideBackground));

    const HexLayout::RowRange rows =
        layout_.visibleRows(firstRow(), viewport()->height(), layout_.rowCount(length()));
    const int height = static_cast<int>(rows.count) * layout_.lineHeight();
    painter.fillRect(0, 0, layout_.hexAreaX(), height, color(kAddressBackground));
    painter.fillRect(layout_.hexAreaX(), 0, layout_.asciiAreaX() - layout_.hexAreaX(), height,
                     color(kHexBackground));
    painter.fillRect(layout_.asciiAreaX(), 0, layout_.lineWidth() - layout_.asciiAreaX(), height,
                     color(kAsciiBackground));
    for (std::size_t i = 0; i < rows.count; ++i) {
        paintRow(painter, rows.first + i, static_cast<int>(i) * layout_.lineHeight());
    }
    paintCursor(painter, rows);
}

void HexView::paintRow(QPainter& painter, std::size_t row, int y) const {
    const std::size_t offset = layout_.rowStart(row);
    const std::size_t count = std::min<std::size_t>(layout_.bytesPerLine(), length() - offset);
    paintSelection(painter, offset, count, y);

    std::string hex;
    std::string ascii;
    HexText::row(document_.buffer().data() + offset, count, hex, ascii);
    const int baseline = y + ascent_;
    painter.setPen(color(kAddressText));
    painter.drawText(layout_.addressX(), baseline,
                     QString::fromStdString(HexText::address(offset, layout_.addressDigits())));
    painter.setPen(color(kHexText));
    painter.drawText(layout_.hexX(0), baseline, QString::fromLatin1(hex));
    painter.setPen(color(kAsciiText));
    painter.drawText(layout_.asciiX(0), baseline, QString::fromLatin1(ascii));
}

void HexView::paintSelection(QPainter& painter, std::size_t rowOffset, std::size_t count,
                             int y) const {
    const HexCursor::Range selection = document_.cursor().selection();
    const std::size_t begin = std::max(selection.begin, rowOffset);
    const std::size_t end = std::min(selection.end, rowOffset + count);
    if (begin >= end) {
        return;
    }
    const auto first = layout_.columnOf(begin);
    const auto last = static_cast<unsigned>(first + (end - begin) - 1);
    const int lineHeight = layout_.lineHeight();
    const int hexRight = layout_.hexX(last) + 2 * layout_.charWidth();
    const QColor fill = color(kSelectionBackground);
    painter.fillRect(layout_.hexX(first), y, hexRight - layout_.hexX(first), lineHeight, fill);
    painter.fillRect(layout_.asciiX(first), y, layout_.asciiX(last + 1) - layout_.asciiX(first),
                     lineHeight, fill);
}

// The active column shows the edited digit or character inverted; the other column frames
// the byte.
void HexView::paintCursor(QPainter& painter, const HexLayout::RowRange& rows) const {
    const HexCursor& cursor = document_.cursor();
    const std::size_t row = layout_.rowOf(cursor.position());
    if (row < rows.first || row >= rows.first + rows.count) {
        return;
    }
    const int y = static_cast<int>(row - rows.first) * layout_.lineHeight();
    const unsigned column = layout_.columnOf(cursor.position());
    const bool atByte = cursor.position() < length();
    const std::uint8_t byte = atByte ? document_.buffer().at(cursor.position()) : 0;
    const int cell = layout_.charWidth();
    const int lineHeight = layout_.lineHeight();

    const bool hexActive = cursor.column() == HexCursor::Column::Hex;
    const int activeX =
        hexActive ? layout_.hexX(column) + cursor.nibble() * cell : layout_.asciiX(column);
    const QColor text = color(hexActive ? kHexText : kAsciiText);
    painter.fillRect(activeX, y, cell, lineHeight, text);
    if (atByte) {
        const char shown = hexActive ? HexText::digit(cursor.nibble() == 0 ? byte >> 4 : byte)
                                     : HexText::printable(byte);
        painter.setPen(color(hexActive ? kHexBackground : kAsciiBackground));
        painter.drawText(activeX, y + ascent_, QString(QLatin1Char(shown)));
    }
    const int frameX = hexActive ? layout_.asciiX(column) : layout_.hexX(column);
    painter.setPen(color(hexActive ? kAsciiText : kHexText));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frameX, y, (hexActive ? 1 : 2) * cell - 1, lineHeight - 1);
}

QColor HexView::color(ColorSlot slot) const {
    const std::uint32_t rgb = colors_[slot];
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace halden
