#pragma once

#include "programmer/form/FormScrolling.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QString>

namespace halden {

// The form list dialog's page view: the form text drawn with the screen's rules into a
// bitmap of 100 by 70 cells of the page font, of which the view shows the part at the
// scroll position. Lines scroll by one cell, pages by thirty.
class FormView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kId = 1093;

    explicit FormView(QWidget* parent = nullptr);

    // The view's window text: the form it shows.
    void setText(const QString& text);
    const QString& text() const { return text_; }

    // Width and height of "0" in the page font.
    QSize cell() const { return cell_; }
    // The page bitmap as last painted.
    const QImage& page() const { return page_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void setRanges();
    void onScrollAction(QScrollBar* bar, int action, int cell);
    void paintPage();

    QString text_;
    QSize cell_;
    QImage page_;
};

} // namespace halden
