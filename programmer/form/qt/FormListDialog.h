#pragma once

#include "common/DialogTemplate.h"
#include "programmer/form/RequestForm.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QPrinter;

namespace halden {

class DesktopOpener;
class FormView;
class UiText;

// "QPF Form List" (template 170): shows a request form in the page view and loads the
// form of another project, prints it, or saves it as a picture.
class FormListDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 170;
    static constexpr int kLoad = 1090;
    static constexpr int kPrint = 1091;
    static constexpr int kSavePicture = 1088;
    static constexpr int kCancel = 2;

    // What the main window shows at the moment of a Load: To, From, Part No, the selected
    // part and its list.
    using SourceProvider = std::function<RequestForm::Source()>;
    // A file dialog's answer; empty: cancelled.
    using FileChooser = std::function<QString()>;
    // The print dialog on this printer; false: anything but OK.
    using PrinterChooser = std::function<bool(QPrinter& printer)>;
    // Whether any printer is installed.
    using PrinterCheck = std::function<bool()>;

    FormListDialog(const UiText& text, const RequestForm& form, SourceProvider source,
                   DesktopOpener& desktop, QWidget* parent = nullptr);

    static DialogTemplate makeTemplate();

    // The form text, and its exchange with the view's text.
    void setFormText(const std::u16string& text);
    const std::u16string& formText() const { return formText_; }
    FormView* view() const { return view_; }

    void OnLoad();
    void OnPrint();
    void OnSavePicture();
    // With no printer to print on: the same page as a PDF file, when the user wants it.
    void offerPdf();

    void setOpenFileChooser(FileChooser chooser) { openChooser_ = std::move(chooser); }
    void setSaveFileChooser(FileChooser chooser) { saveChooser_ = std::move(chooser); }
    void setPrinterChooser(PrinterChooser chooser) { printerChooser_ = std::move(chooser); }
    void setPdfFileChooser(FileChooser chooser) { pdfChooser_ = std::move(chooser); }
    void setPrinterCheck(PrinterCheck check) { printerCheck_ = std::move(check); }

private:
    void replacePlaceholder();
    void setControlTexts(const UiText& text);
    QString chooseOpenFile();
    QString chooseSaveFile();
    QString choosePdfFile();
    bool choosePrinter(QPrinter& printer);
    bool printerInstalled() const;

    const UiText& text_;
    const RequestForm& form_;
    SourceProvider source_;
    DesktopOpener& desktop_;
    FormView* view_ = nullptr;
    std::u16string formText_;
    FileChooser openChooser_;
    FileChooser saveChooser_;
    PrinterChooser printerChooser_;
    FileChooser pdfChooser_;
    PrinterCheck printerCheck_;
};

} // namespace halden
