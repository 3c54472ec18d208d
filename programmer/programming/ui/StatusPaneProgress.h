#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

#include <optional>

class QLabel;

namespace halden {

class UiText;

// The progress bar of the status pane (control 1046). A widget cannot be drawn on
// outside its paint event, so this object keeps the pane's progress and paints it
// over the pane whenever the pane paints; a new percent repaints the pane at once.
// Giving the pane a new text ends the bar and the pane shows its text again.
class StatusPaneProgress : public QObject {
    Q_OBJECT

public:
    // Owned by the pane; text must outlive it.
    StatusPaneProgress(QLabel& pane, const UiText& text);

    // The percent drawn, or nothing while the pane shows its own text.
    std::optional<int> percent() const { return percent_; }
    QColor buttonFace() const;

public slots:
    // 0 to 100 draws the bar with "Completed ...N%"; -1 leaves the pane blank.
    void DrawProgress(int percent);
    // Back to the pane's own text.
    void clear();

signals:
    // Each percent once it has been drawn.
    void drawn(int percent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintPaneThenProgress(QEvent* paint);
    void paintProgress();

    QLabel& pane_;
    const UiText& text_;
    QFont font_;
    std::optional<int> percent_;
    // The pane's text when the bar was drawn; another text ends the bar.
    QString paneText_;
};

} // namespace halden
