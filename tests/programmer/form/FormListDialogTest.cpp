#include "programmer/form/qt/FormListDialog.h"
#include "common/DesktopOpener.h"
#include "common/qt/DialogBuilder.h"
#include "programmer/form/FormPageRules.h"
#include "programmer/form/qt/FormFont.h"
#include "programmer/form/qt/FormPage.h"
#include "programmer/form/qt/FormPdf.h"
#include "programmer/form/qt/FormPicture.h"
#include "programmer/form/qt/FormPrinter.h"
#include "programmer/form/qt/FormView.h"
#include "tests/programmer/form/FormFixture.h"
#include "tests/support/RecordingDesktopOpener.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <cstdlib>

namespace halden::test {
namespace {

using RecordingOpener = RecordingDesktopOpener;

std::string run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput().toStdString();
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class FormListDialogTest : public FormTest {
protected:
    std::unique_ptr<FormListDialog> open(std::uint32_t selected = 36) {
        selected_ = selected;
        auto dialog = std::make_unique<FormListDialog>(
            text, form, [this] { return source(selected_); }, opener);
        return dialog;
    }
    std::u16string formOf(const Bytes& file, std::uint32_t selected = 36,
                          const std::string& name = "project.qpf") {
        std::u16string out;
        form.RenderRequestForm(write(file, name), source(selected), out);
        return out;
    }
    // Saves a picture of the widget's screen area when screenshots are asked for.
    void screenshot(QWidget& widget, const std::string& name) {
        const char* folder = std::getenv("HALDEN_SCREENSHOT_DIR");
        if (folder == nullptr) {
            return;
        }
        widget.show();
        // Let the window manager map and expose the window before it is grabbed.
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
        QScreen* screen = widget.screen();
        const QPixmap shot = QGuiApplication::platformName() == "xcb"
                                 ? screen->grabWindow(widget.winId())
                                 : widget.grab();
        shot.save(QString::fromStdString(std::string(folder) + "/" + name));
    }

    RecordingOpener opener;
    std::uint32_t selected_ = 36;
};

TEST_F(FormListDialogTest, TemplateWithThePageViewInPlaceOfTheStatic) {
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), "QPF Form List");
    const auto views = dialog->findChildren<QWidget*>("1093", Qt::FindDirectChildrenOnly);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0], dialog->view());
    const auto units = DialogBuilder::baseUnits(dialog->font());
    const auto expected = units.toPixels({5, 9, 415, 297});
    EXPECT_EQ(dialog->view()->geometry(),
              QRect(expected.x, expected.y, expected.width, expected.height));
    dialog->setFormText(formOf(project(36).file()));
    screenshot(*dialog, "form-list-dialog.png");
}

TEST_F(FormListDialogTest, ButtonsTakeTheirEntriesOfTheLanguagesTable) {
    struct Case {
        std::uint16_t language;
        const char* exit;
    };
    for (const Case c : {Case{0, "Exit"}, Case{1, "\xE9\x80\x80\xE5\x87\xBA"}}) {
        text.setLanguageIndex(c.language);
        auto dialog = open();
        auto label = [&](int id) {
            return dialog->findChild<QPushButton*>(QString::number(id))->text().toStdString();
        };
        EXPECT_EQ(label(FormListDialog::kCancel), c.exit);
        EXPECT_EQ(label(FormListDialog::kLoad), "Load *.QPF");
        EXPECT_EQ(label(FormListDialog::kPrint), "Print");
        EXPECT_EQ(label(FormListDialog::kSavePicture), "Save Picture");
        EXPECT_EQ(dialog->windowTitle(), "QPF Form List");
    }
}

TEST_F(FormListDialogTest, ViewScrollsByLinesAndThirtyLinePagesOverSeventyLines) {
    auto dialog = open();
    dialog->setFormText(formOf(project(36).file()));
    dialog->show();
    FormView* view = dialog->view();
    const QSize cell = view->cell();
    EXPECT_EQ(cell, FormFont::cell(FormFont::screen(), &view->page()));
    EXPECT_EQ(view->page().size(), QSize(100 * cell.width(), 70 * cell.height()));
    QScrollBar* vertical = view->verticalScrollBar();
    QScrollBar* horizontal = view->horizontalScrollBar();
    const QSize client = view->viewport()->size();
    EXPECT_EQ(vertical->maximum(), 70 * cell.height() - client.height() + 1);
    EXPECT_EQ(vertical->pageStep(), client.height());
    EXPECT_EQ(horizontal->maximum(), std::max(0, 100 * cell.width() - client.width() + 1));

    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(vertical->value(), 30 * cell.height());
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(vertical->value(), 31 * cell.height());
    vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
    vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(vertical->value(), 0);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(vertical->value(), vertical->maximum()) << "clamped to the range";
    horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(horizontal->value(), std::min(cell.width(), horizontal->maximum()));

    // The view shows the page from the scroll position: the box's top rule, 13.5 lines
    // down the page, sits 13.5 - 10 lines down the view when scrolled by ten lines.
    horizontal->setValue(0);
    vertical->setValue(10 * cell.height());
    const auto rules =
        FormPageRules::segments(FormPageRules::Device::Screen, cell.width(), cell.height());
    const auto& top = rules[3];
    const QImage shown = view->viewport()->grab().toImage();
    const QPoint onRule(top.x1 + 4 * cell.width(), top.y1 - 10 * cell.height());
    EXPECT_LT(qGray(shown.pixel(onRule)), 128);
    EXPECT_GT(qGray(shown.pixel(onRule + QPoint(0, cell.height() / 2))), 128);
}

TEST_F(FormListDialogTest, PictureIsOneBitOfHundredByseventyCellsWithTheScreenRules) {
    const QString page = QString::fromStdU16String(formOf(project(36).file()));
    const QImage picture = FormPicture::render(page);
    QFont font = FormFont::make(FormFont::screenDotsPerInch());
    const QSize cell = FormFont::cell(font, &picture);
    EXPECT_EQ(picture.depth(), 1);
    ASSERT_EQ(picture.size(), QSize(100 * cell.width(), 70 * cell.height()));
    auto black = [&](int x, int y) { return qGray(picture.pixel(x, y)) < 128; };
    for (const auto& s :
         FormPageRules::segments(FormPageRules::Device::Screen, cell.width(), cell.height())) {
        const int x = (s.x1 + s.x2) / 2;
        const int y = (s.y1 + s.y2) / 2;
        EXPECT_TRUE(black(x, y)) << x << "," << y;
    }
    // Paper between the underlines and the box, left of the text.
    EXPECT_FALSE(black(2, 12 * cell.height()));

    const auto bmp = FormPicture::bmpBytes(picture);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(ByteOrder::readLe32(bmp, 18), static_cast<std::uint32_t>(picture.width()));
    EXPECT_EQ(ByteOrder::readLe32(bmp, 22), static_cast<std::uint32_t>(picture.height()));
    EXPECT_EQ(ByteOrder::readLe16(bmp, 28), 1u) << "bits per pixel";
}

TEST_F(FormListDialogTest, SavePictureWritesTheBitmapWholeThenOpensIt) {
    auto dialog = open();
    dialog->setFormText(formOf(project(36).file()));
    const std::string path = (dir / "form.bmp").string();
    dialog->setSaveFileChooser([&] { return QString::fromStdString(path); });
    dialog->findChild<QPushButton*>("1088")->click();
    ASSERT_EQ(opener.opened, std::vector<std::string>{path});
    EXPECT_EQ(readFile(path), FormPicture::bmpBytes(FormPicture::render(
                                  QString::fromStdU16String(dialog->formText()))));
    if (const char* folder = std::getenv("HALDEN_SCREENSHOT_DIR")) {
        std::filesystem::copy_file(path, std::string(folder) + "/form-picture.bmp",
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // A file that cannot be created: nothing written, nothing opened, no message.
    opener.opened.clear();
    const std::string nowhere = (dir / "missing" / "form.bmp").string();
    dialog->setSaveFileChooser([&] { return QString::fromStdString(nowhere); });
    dialog->OnSavePicture();
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    EXPECT_TRUE(opener.opened.empty());
    // Cancelled: nothing at all.
    dialog->setSaveFileChooser([] { return QString(); });
    dialog->OnSavePicture();
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FormListDialogTest, PrintPutsTheFormOnOnePageOfADocumentNamedQpf) {
    auto dialog = open();
    dialog->setFormText(formOf(project(36, {0}).file()));
    const std::string pdf = (dir / "form.pdf").string();
    int firstDpi = 0;
    dialog->setPrinterCheck([] { return true; });
    dialog->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        firstDpi = printer.logicalDpiY();
        return true;
    });
    dialog->findChild<QPushButton*>("1091")->click();
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string info = run("pdfinfo", {QString::fromStdString(pdf)});
    const QString fields = QString::fromStdString(info).simplified();
    EXPECT_TRUE(fields.contains("Title: QPF ")) << info;
    EXPECT_TRUE(fields.contains("Pages: 1 ")) << info;
    const std::string page = run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    for (const char* expected :
         {"corvane QPF3.0 Request FORM v1.2", "Corvane Sales", "PN-0042", "RQD-1", "project.qpf",
          "app.bin", "2024/03/05 14:07:09", "LOCK : V", "Liability:", "Customer's approved"}) {
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;
    }
    // A printer of another resolution later still gets the first printer's font.
    const int firstSize = FormFont::printer(QPrinter(QPrinter::ScreenResolution)).pixelSize();
    EXPECT_EQ(firstSize, FormFont::make(firstDpi).pixelSize());

    // Anything but OK in the print dialog prints nothing.
    std::filesystem::remove(pdf);
    dialog->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFileName(QString::fromStdString(pdf));
        return false;
    });
    dialog->OnPrint();
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

// With no printer installed, Print says so and offers the page as a PDF file: the page
// `halden form --pdf` writes, written whole, then shown as the picture is.
TEST_F(FormListDialogTest, PrintWithoutAPrinterOffersThePageAsPdf) {
    auto dialog = open();
    dialog->setFormText(formOf(project(36, {0}).file()));
    dialog->setPrinterCheck([] { return false; });
    bool printDialogShown = false;
    dialog->setPrinterChooser([&](QPrinter&) { return printDialogShown = true; });
    const std::string pdf = (dir / "form.pdf").string();
    int chosen = 0;
    dialog->setPdfFileChooser([&] {
        ++chosen;
        return QString::fromStdString(pdf);
    });

    messages.answers = {MessageAnswer::No};
    dialog->findChild<QPushButton*>("1091")->click();
    ASSERT_EQ(messages.lines(), std::vector<std::string>{"[QPF Form List] No printer is installed. "
                                                         "Save the page as a PDF file instead?"});
    const MessageStyle& asked = messages.messages[0].style;
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(MessageService::defaultAnswer(asked), MessageAnswer::Yes);
    EXPECT_EQ(asked.textId, static_cast<std::uint16_t>(OwnTextId::NoPrinterSavePdf));
    EXPECT_EQ(chosen, 0);
    EXPECT_FALSE(std::filesystem::exists(pdf));

    messages.answers = {MessageAnswer::Yes};
    dialog->OnPrint();
    EXPECT_EQ(chosen, 1);
    EXPECT_FALSE(printDialogShown);
    ASSERT_EQ(opener.opened, std::vector<std::string>{pdf});
    const std::string page = run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    const std::string written = (dir / "cli.pdf").string();
    ASSERT_EQ(FormPdf::save(written, QString::fromStdU16String(dialog->formText())), "");
    EXPECT_EQ(page, run("pdftotext", {"-layout", QString::fromStdString(written), "-"}));
    EXPECT_NE(page.find("LOCK : V"), std::string::npos) << page;
    EXPECT_NE(QString::fromStdString(run("pdfinfo", {QString::fromStdString(pdf)}))
                  .simplified()
                  .indexOf("Title: QPF "),
              -1);

    // A file that cannot be written is said, and nothing is opened.
    opener.opened.clear();
    const std::string nowhere = (dir / "missing" / "form.pdf").string();
    dialog->setPdfFileChooser([&] { return QString::fromStdString(nowhere); });
    messages.messages.clear();
    dialog->OnPrint();
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].caption, "Error !");
    EXPECT_EQ(messages.messages[1].text.rfind("Cannot write " + nowhere + ": ", 0), 0u)
        << messages.messages[1].text;
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(FormListDialogTest, LoadShowsAnotherProjectInTheSelectedPartsLayout) {
    auto dialog = open(36);
    dialog->setFormText(formOf(project(36).file()));
    const std::string other = write(project(42, {1}).file(), "other.qpf");
    dialog->setOpenFileChooser([&] { return QString::fromStdString(other); });
    dialog->findChild<QPushButton*>("1090")->click();
    const auto rows = lines(dialog->formText());
    ASSERT_EQ(rows.size(), 65u);
    EXPECT_EQ(QString::fromStdU16String(rows[14]).simplified(), "MCU Body RQD-1");
    EXPECT_EQ(QString::fromStdU16String(rows[16]).simplified(), "QPF File Name other.qpf");
    // RQE-1's rows read by the Delta rules: WRP (byte 8, mask 0xFF) is 0 when ticked, and
    // the Delta layout marks slot 1 when its bits differ from 0x0C.
    EXPECT_EQ(QString::fromStdU16String(rows[37]).simplified(), "WRP : V - : -");
    EXPECT_EQ(dialog->view()->text().toStdU16String(), dialog->formText());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FormListDialogTest, LoadOfAFileThatIsNoProjectKeepsThePreviousForm) {
    auto dialog = open(36);
    const std::u16string previous = formOf(project(36).file());
    dialog->setFormText(previous);
    const std::string notProject = write(Bytes(300, 0x41), "notes.qpf");
    dialog->setOpenFileChooser([&] { return QString::fromStdString(notProject); });
    dialog->OnLoad();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, Unicode::toUtf8(text.text(2000)));
    EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dialog->formText(), previous);
    EXPECT_EQ(dialog->view()->text().toStdU16String(), previous);

    // An empty form stays empty after a failed Load; a cancelled one changes nothing.
    dialog->setFormText(u"");
    dialog->OnLoad();
    EXPECT_TRUE(dialog->formText().empty());
    dialog->setOpenFileChooser([] { return QString(); });
    dialog->setFormText(previous);
    dialog->OnLoad();
    EXPECT_EQ(dialog->formText(), previous);
}

} // namespace
} // namespace halden::test
