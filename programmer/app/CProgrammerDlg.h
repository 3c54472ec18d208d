#pragma once

#include "LinkExports.h"
#include "ProgrammerContext.h"

#include <QDialog>

class QMenu;

namespace halden {

class HexViewControl;

// The programmer's main window (template 102).
class CProgrammerDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSysCommandAbout = 0x0010;
    static constexpr int kSysCommandCheckUpdate = 0x0400;

    explicit CProgrammerDlg(ProgrammerContext& context, QWidget* parent = nullptr);

    // The control with that template ID, or null.
    QWidget* control(int id) const;
    template <typename T> T* control(int id) const { return qobject_cast<T*>(control(id)); }

    // The system menu's commands, by ID with the low four bits masked off.
    void OnSysCommand(int id);
    QMenu* systemMenu() const { return systemMenu_; }

    const LinkExports& linkExports() const { return linkExports_; }
    HexViewControl* hexView() const { return hexView_; }
    bool busy() const { return busy_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public slots:
    // The cancel command ("Exit", the close box): the close path.
    void reject() override;

private:
    void OnInitDialog();
    void buildSystemMenu();
    void restoreWindowState();
    void setControlTexts();
    void setDefaultButton(int id);
    QString firmwareCaption() const;

    ProgrammerContext& context_;
    HexViewControl* hexView_ = nullptr;
    QMenu* systemMenu_ = nullptr;
    LinkExports linkExports_;
    QString projectHeaderText_;
    bool busy_ = false;
};

} // namespace halden
