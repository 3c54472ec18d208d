#include "programmer/app/ProductionMenu.h"

#include "adapter/AdapterDirectory.h"
#include "adapter/AdapterLink.h"
#include "adapter/LinkLibrary.h"
#include "common/AtomicFile.h"
#include "common/SettingsStore.h"
#include "common/Unicode.h"
#include "programmer/app/CProgrammerDlg.h"
#include "programmer/app/ProgrammerContext.h"
#include "programmer/programming/ProductionCheck.h"
#include "programmer/programming/ReadTarget.h"
#include "programmer/programming/TracedOperation.h"
#include "programmer/text/TextMessage.h"
#include "programmer/text/UiText.h"

#include <QAction>
#include <QFileDialog>

#include <memory>

namespace halden {

ProductionMenu::ProductionMenu(CProgrammerDlg& window, ProgrammerContext& context,
                               AdapterLink& link)
    : window_(window), context_(context), link_(link) {}

QString ProductionMenu::ownText(OwnTextId id) const {
    return QString::fromStdU16String(window_.core().text().own(id));
}

QList<QAction*> ProductionMenu::makeActions(QObject* owner) {
    auto* read = new QAction(ownText(OwnTextId::ReadTargetMenu), owner);
    read->setObjectName("readTarget");
    QObject::connect(read, &QAction::triggered, owner, [this] { readTarget(); });
    auto* verify = new QAction(ownText(OwnTextId::VerifyTargetMenu), owner);
    verify->setObjectName("verifyTarget");
    QObject::connect(verify, &QAction::triggered, owner, [this] { verifyTarget(); });
    auto* blank = new QAction(ownText(OwnTextId::BlankCheckMenu), owner);
    blank->setObjectName("blankCheck");
    QObject::connect(blank, &QAction::triggered, owner, [this] { blankCheck(); });
    return {read, verify, blank};
}

bool ProductionMenu::runTraced(const std::string& operation, const Body& body) {
    if (window_.busy()) {
        return false;
    }
    TracedOperation trace(operation, context_.messages);
    const std::string logPath =
        Unicode::toUtf8(context_.settings.readString("Settings", "TraceLog", u""));
    if (const std::string problem = trace.open(logPath); !problem.empty()) {
        const UiText& text = window_.core().text();
        context_.messages.show(text.own(OwnTextId::CannotOpenTraceLog,
                                        {Unicode::toUtf16(logPath), Unicode::toUtf16(problem)}),
                               text.text(1101), {MessageButtons::Ok, MessageIcon::Error});
        return false;
    }
    std::unique_ptr<AdapterDirectory> directory;
    if (context_.linkLibrary != nullptr && context_.linkLibrary->loaded()) {
        directory = std::make_unique<AdapterDirectory>(*context_.linkLibrary);
    }
    link_.clearFailure();
    link_.setRecordSink(
        [&trace, &directory](const LinkRecord& record) { trace.note(record, directory.get()); });
    const TextMessage messages(trace.messages(), window_.core().text());
    const bool ok = body(messages, trace);
    link_.setRecordSink({});
    if (const std::string problem = trace.finish(ok, &link_); !problem.empty()) {
        const UiText& text = window_.core().text();
        context_.messages.show(text.own(OwnTextId::CannotWriteTraceLog,
                                        {Unicode::toUtf16(logPath), Unicode::toUtf16(problem)}),
                               text.text(1101), {MessageButtons::Ok, MessageIcon::Error});
        return false;
    }
    return ok;
}

QString ProductionMenu::chooseReadPath() {
    if (saveChooser_) {
        return saveChooser_();
    }
    QFileDialog dialog(&window_, ownText(OwnTextId::ReadTargetCaption), {},
                       "Binary(*.bin);;All Format(*)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("bin");
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void ProductionMenu::readTarget() {
    if (window_.busy()) {
        return;
    }
    const std::string path = chooseReadPath().toStdString();
    if (path.empty()) {
        return;
    }
    runTraced("read", [&](const TextMessage& messages, TracedOperation& trace) {
        ProgrammerCore& core = window_.core();
        trace.tracePart(core.part().record());
        ReadTarget reader(link_, core.part(), window_, messages, window_, core.busy());
        ProductionCheck check(reader, messages);
        if (!check.read(core.part().record().flashSize).ok) {
            return false;
        }
        trace.record().image = TraceRecord::imageOf({path}, check.data());
        if (const std::string problem = AtomicFile::write(path, check.data()); !problem.empty()) {
            messages.messages().show(
                core.text().own(OwnTextId::CannotWrite,
                                {Unicode::toUtf16(path), Unicode::toUtf16(problem)}),
                core.text().text(1101), {MessageButtons::Ok, MessageIcon::Error});
            return false;
        }
        return check.reportSaved().ok;
    });
    window_.update();
}

void ProductionMenu::verifyTarget() {
    runTraced("verify", [&](const TextMessage& messages, TracedOperation& trace) {
        ProgrammerCore& core = window_.core();
        const std::vector<std::uint8_t> code = core.codeBytes();
        const std::string file = window_.currentFilePath();
        trace.record().image = TraceRecord::imageOf(
            file.empty() ? std::vector<std::string>{} : std::vector<std::string>{file}, code);
        trace.tracePart(core.part().record());
        ReadTarget reader(link_, core.part(), window_, messages, window_, core.busy());
        return ProductionCheck(reader, messages).verify(code).ok;
    });
    window_.update();
}

void ProductionMenu::blankCheck() {
    runTraced("blank-check", [&](const TextMessage& messages, TracedOperation& trace) {
        ProgrammerCore& core = window_.core();
        trace.tracePart(core.part().record());
        ReadTarget reader(link_, core.part(), window_, messages, window_, core.busy());
        return ProductionCheck(reader, messages).blankCheck(core.part().record().flashSize).ok;
    });
    window_.update();
}

} // namespace halden
