#pragma once

#include <QColor>
#include <QFont>
#include <QObject>

#include <optional>

class QLabel;
class QPainter;
class QRect;

namespace halden {

// The setup window's progress strip (control 1008). Each percent is painted once into
// the control; the drawing is not kept, so a later repaint of the control shows it blank.
// A widget cannot be drawn on outside its paint event: DrawProgress repaints the control
// at once and paints the strip over it in that one paint.
class ProgressStrip : public QObject {
    Q_OBJECT

public:
    // Owned by the control.
    explicit ProgressStrip(QLabel& strip);

    // 0 to 100: the done part and "Completed ...N%"; negative: the strip blank.
    void DrawProgress(int percent);

    // The strip at percent over client, on any painter.
    static void paint(QPainter& painter, const QRect& client, int percent, const QFont& font,
                      const QColor& buttonFace);
    const QFont& font() const { return font_; }
    QColor buttonFace() const;

signals:
    // Each percent once it has been painted into the control.
    void painted(int percent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel& strip_;
    QFont font_;
    std::optional<int> pending_;
};

} // namespace halden
