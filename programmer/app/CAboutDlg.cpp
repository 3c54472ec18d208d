#include "programmer/app/CAboutDlg.h"

#include "common/qt/DialogBuilder.h"
#include "programmer/text/UiText.h"

#include <QLabel>
#include <QPushButton>

namespace halden {

const char16_t* const CAboutDlg::kMenuText = u"關於 Halden_Programmer(&A)...";
const char16_t* const CAboutDlg::kCaption = u"關於 Halden_Programmer";

namespace {

DialogTemplate aboutTemplate() {
    using Kind = DialogTemplate::Kind;
    DialogTemplate t;
    t.id = CAboutDlg::kTemplateId;
    t.width = 235;
    t.height = 55;
    t.caption = CAboutDlg::kCaption;
    t.fontFamily = "Tahoma";
    t.fontPointSize = 9;
    t.add(-1, Kind::Bitmap, u"", {11, 14, 21, 20}, ":/images/icon.png");
    t.add(CAboutDlg::kVersionLine, Kind::Static, u"Corvane Halden_Programmer v 0.78",
          {40, 10, 130, 8});
    t.add(-1, Kind::Static, u"Halden: in-circuit programming for Corvane chips with Tavro.",
          {40, 24, 188, 20}, "notice");
    t.add(1, Kind::Button, u"OK", {178, 7, 50, 14});
    return t;
}

} // namespace

CAboutDlg::CAboutDlg(const UiText& text, QWidget* parent) : QDialog(parent) {
    DialogBuilder::build(*this, aboutTemplate());
    setWindowIcon(QIcon(":/images/icon.png"));
    if (const auto title = text.entry(102)) {
        findChild<QLabel*>(QString::number(kVersionLine))
            ->setText(QString::fromStdU16String(*title));
    }
    // The notice runs over two lines rather than being cut at the box's edge.
    findChild<QLabel*>("notice")->setWordWrap(true);
    findChild<QPushButton*>("1")->setDefault(true);
}

} // namespace halden
