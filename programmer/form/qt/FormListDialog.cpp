#include "programmer/form/qt/FormListDialog.h"

#include "common/DesktopOpener.h"
#include "common/qt/DialogBuilder.h"
#include "programmer/form/qt/FormPdf.h"
#include "programmer/form/qt/FormPicture.h"
#include "programmer/form/qt/FormPrinter.h"
#include "programmer/form/qt/FormView.h"
#include "programmer/text/TextMessage.h"
#include "programmer/text/UiText.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include <memory>

namespace halden {

namespace {

// Every unit as it is: the form's byte-order mark stays when the text goes into the view
// and back.
QString unitsOf(const std::u16string& text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

std::u16string unitsOf(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.constData()),
                          static_cast<std::size_t>(text.size()));
}

} // namespace

FormListDialog::FormListDialog(const UiText& text, const RequestForm& form, SourceProvider source,
                               DesktopOpener& desktop, QWidget* parent)
    : QDialog(parent), text_(text), form_(form), source_(std::move(source)), desktop_(desktop) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogBuilder::build(*this, makeTemplate());
    replacePlaceholder();
    setControlTexts(text);
    connect(findChild<QPushButton*>(QString::number(kLoad)), &QPushButton::clicked, this,
            [this] { OnLoad(); });
    connect(findChild<QPushButton*>(QString::number(kPrint)), &QPushButton::clicked, this,
            [this] { OnPrint(); });
    connect(findChild<QPushButton*>(QString::number(kSavePicture)), &QPushButton::clicked, this,
            [this] { OnSavePicture(); });
}

DialogTemplate FormListDialog::makeTemplate() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = kTemplateId;
    t.width = 430;
    t.height = 337;
    t.caption = u"QPF Form List";
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(FormView::kId, Kind::Static, u"Static", {5, 9, 415, 297});
    t.add(kLoad, Kind::Button, u"Load *.QPF", {5, 314, 70, 16});
    t.add(kPrint, Kind::Button, u"Print", {85, 314, 70, 16});
    t.add(kSavePicture, Kind::Button, u"Save Picture", {165, 314, 70, 16});
    t.add(kCancel, Kind::Button, u"Cancel", {350, 314, 70, 16});
    return t;
}

// The template's static marks where the page view goes.
void FormListDialog::replacePlaceholder() {
    QWidget* placeholder = findChild<QWidget*>(QString::number(FormView::kId));
    const QRect where = placeholder->geometry();
    delete placeholder;
    view_ = new FormView(this);
    view_->setGeometry(where);
    view_->show();
}

// Caption and buttons from the UI texts of the same numbers, where the table has them.
void FormListDialog::setControlTexts(const UiText& text) {
    if (const auto caption = text.controlText(kTemplateId)) {
        setWindowTitle(QString::fromStdU16String(*caption));
    }
    for (const int id : {kCancel, kLoad, kPrint, kSavePicture}) {
        const auto label = text.controlText(static_cast<std::uint16_t>(id));
        auto* button = findChild<QAbstractButton*>(QString::number(id));
        if (label && button != nullptr) {
            button->setText(QString::fromStdU16String(*label));
        }
    }
}

void FormListDialog::setFormText(const std::u16string& text) {
    formText_ = text;
    view_->setText(unitsOf(formText_));
}

QString FormListDialog::chooseOpenFile() {
    if (openChooser_) {
        return openChooser_();
    }
    return QFileDialog::getOpenFileName(this, {}, {}, "Project Format(*.qpf)");
}

QString FormListDialog::chooseSaveFile() {
    if (saveChooser_) {
        return saveChooser_();
    }
    QFileDialog dialog(this, {}, {}, "Bitmap Format(*.bmp)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("bmp");
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString FormListDialog::choosePdfFile() {
    if (pdfChooser_) {
        return pdfChooser_();
    }
    QFileDialog dialog(this, {}, {}, "PDF Format(*.pdf)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdf");
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool FormListDialog::printerInstalled() const {
    return printerCheck_ ? printerCheck_() : !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool FormListDialog::choosePrinter(QPrinter& printer) {
    if (printerChooser_) {
        return printerChooser_(printer);
    }
    QPrintDialog dialog(&printer, this);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

void FormListDialog::OnLoad() {
    const QString path = chooseOpenFile();
    if (path.isEmpty()) {
        return;
    }
    form_.RenderRequestForm(path.toStdString(), source_(), formText_);
    if (!formText_.empty()) {
        view_->setText(unitsOf(formText_));
    } else {
        formText_ = unitsOf(view_->text());
    }
    view_->viewport()->update();
}

void FormListDialog::OnPrint() {
    // Without a printer the print dialog has nothing to offer but closing.
    if (!printerInstalled()) {
        offerPdf();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter(printer)) {
        return;
    }
    FormPrinter::print(printer, QString::fromStdU16String(formText_));
}

void FormListDialog::offerPdf() {
    MessageService& messages = form_.messages().messages();
    const auto question = OwnTextId::NoPrinterSavePdf;
    const MessageStyle style{MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes,
                             static_cast<std::uint16_t>(question)};
    if (messages.show(text_.own(question), windowTitle().toStdU16String(), style) !=
        MessageAnswer::Yes) {
        return;
    }
    const QString path = choosePdfFile();
    if (path.isEmpty()) {
        return;
    }
    if (const std::string failure =
            FormPdf::save(path.toStdString(), QString::fromStdU16String(formText_));
        !failure.empty()) {
        messages.show(
            text_.own(OwnTextId::CannotWrite,
                      {path.toStdU16String(), QString::fromStdString(failure).toStdU16String()}),
            text_.text(1101), {MessageButtons::Ok, MessageIcon::Error});
        return;
    }
    // Shown as the saved picture is.
    desktop_.open(path.toStdString());
}

void FormListDialog::OnSavePicture() {
    const QString path = chooseSaveFile();
    if (path.isEmpty()) {
        return;
    }
    if (!FormPicture::save(path.toStdString(), QString::fromStdU16String(formText_)).empty()) {
        return;
    }
    desktop_.open(path.toStdString());
}

} // namespace halden
