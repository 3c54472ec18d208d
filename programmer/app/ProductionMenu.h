#pragma once

#include "programmer/text/OwnTextId.h"

#include <QList>
#include <QString>

#include <functional>
#include <string>

class QAction;
class QObject;

namespace halden {

class AdapterLink;
class CProgrammerDlg;
class TextMessage;
class TracedOperation;
struct ProgrammerContext;

// The production checks in the main window's context menu, beside "Check update" and
// About: Read Target (to a file), Verify Target (against the code buffer) and Blank
// Check, with progress in the status pane and their results in message boxes. Every
// adapter operation of the window runs through runTraced, which appends its line to
// the trace log that the setting "TraceLog" names.
class ProductionMenu {
public:
    ProductionMenu(CProgrammerDlg& window, ProgrammerContext& context, AdapterLink& link);

    // The three entries, parented to owner.
    QList<QAction*> makeActions(QObject* owner);

    void readTarget();
    void verifyTarget();
    void blankCheck();

    // The save dialog of Read Target; replaceable so a test can answer it. Empty: cancelled.
    using SaveChooser = std::function<QString()>;
    void setSaveChooser(SaveChooser chooser) { saveChooser_ = std::move(chooser); }

    // Runs an adapter operation with its trace line: the log opened before the adapter is
    // touched (a log that cannot be opened stops it with a message), the operation's
    // messages held until the line is written. body gets the messages to show through
    // and the trace to fill, and returns whether the operation succeeded.
    using Body = std::function<bool(const TextMessage& messages, TracedOperation& trace)>;
    bool runTraced(const std::string& operation, const Body& body);

private:
    QString chooseReadPath();
    QString ownText(OwnTextId id) const;

    CProgrammerDlg& window_;
    ProgrammerContext& context_;
    AdapterLink& link_;
    SaveChooser saveChooser_;
};

} // namespace halden
