#include "hexview/qt/HexViewControl.h"
#include "programmer/app/MainWindowTemplate.h"
#include "programmer/app/QpfRequestDialog.h"
#include "programmer/buffer/ProjectFile.h"
#include "programmer/form/qt/FormListDialog.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MainWindowProjectTest : public MainWindowTest {
protected:
    Bytes readFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // Answers the request dialog when it opens; after OK, closes the form list dialog
    // and keeps the form it showed.
    void answerRequest(bool ok, const QStringList& fields = {}) {
        QTimer::singleShot(0, [this, ok, fields] {
            auto* request = qobject_cast<QpfRequestDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(request, nullptr);
            EXPECT_EQ(request->windowTitle(), "QPF Dialog");
            const int ids[] = {QpfRequestDialog::kTo, QpfRequestDialog::kFrom,
                               QpfRequestDialog::kPartNo};
            for (int i = 0; i < fields.size(); ++i) {
                request->findChild<QLineEdit*>(QString::number(ids[i]))->setText(fields[i]);
            }
            if (ok) {
                QTimer::singleShot(0, [this] {
                    auto* formList =
                        qobject_cast<FormListDialog*>(QApplication::activeModalWidget());
                    ASSERT_NE(formList, nullptr);
                    shownForm = formList->formText();
                    formListOpened = true;
                    formList->findChild<QPushButton*>("2")->click();
                });
            }
            request->findChild<QPushButton*>(ok ? "1" : "2")->click();
        });
    }

    bool formListOpened = false;
    std::u16string shownForm;

    test::TempDir dir;
};

TEST_F(MainWindowProjectTest, EmptyBufferIsNotSaved) {
    auto dialog = open();
    bool asked = false;
    dialog->setSaveFileChooser([&](const QString&) {
        asked = true;
        return QString();
    });
    dialog->control<QPushButton>(MainWindowTemplate::kSaveQpf)->click();
    EXPECT_FALSE(asked);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Code Buffer is empty !");
    EXPECT_EQ(messages.messages[0].caption, "Halden Programmer");
}

// Where the program's folder takes no files from the user, as for an installed program,
// the first suggestion is a project file in the user's documents folder.
TEST_F(MainWindowProjectTest, FirstSaveSuggestionFollowsWhetherTheProgramFolderIsWritable) {
    const std::string documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    struct Case {
        std::string programPath;
        std::string suggested;
    };
    const std::string writable = (dir / "Halden_Programmer").string();
    const Case cases[] = {
        {writable, writable},
        {"/no/such/folder/Halden_Programmer", documents + "/Halden_Programmer.qpf"},
        {"/proc/1/Halden_Programmer", documents + "/Halden_Programmer.qpf"},
    };
    for (const auto& c : cases) {
        auto dialog = open();
        context->programPath = c.programPath;
        dialog->hexView()->setData(Bytes(4, 1).data(), 4);
        QString offered;
        dialog->setSaveFileChooser([&](const QString& initial) {
            offered = initial;
            return QString();
        });
        dialog->control<QPushButton>(MainWindowTemplate::kSaveQpf)->click();
        EXPECT_EQ(offered.toStdString(), c.suggested) << c.programPath;
    }
}

// The file dialog keeps its state per user: in the tests that is a temporary home,
// never the real one.
TEST(TestHome, FileDialogStateStaysInTheTemporaryHome) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const std::filesystem::path real =
        std::filesystem::path(user->pw_dir) / ".config/QtProject.conf";
    std::error_code error;
    const auto before = std::filesystem::last_write_time(real, error);
    const bool existed = !error;
    const std::filesystem::path home = QDir::homePath().toStdString();
    EXPECT_NE(home, std::filesystem::path(user->pw_dir));
    EXPECT_NE(home.filename().string().find("halden-home-"), std::string::npos) << home;
    {
        QFileDialog dialog(nullptr, {}, QString::fromStdString(home.string()));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        dialog.exec();
    }
    EXPECT_TRUE(std::filesystem::exists(home / ".config/QtProject.conf"));
    EXPECT_EQ(std::filesystem::exists(real), existed);
    if (existed) {
        EXPECT_EQ(std::filesystem::last_write_time(real), before);
    }
}

TEST_F(MainWindowProjectTest, BareNameGetsTheExtensionAndCancelStillLeavesTheFile) {
    auto dialog = open();
    context->programPath = (dir / "Halden_Programmer").string();
    dialog->hexView()->setData(Bytes(0x40, 0x5A).data(), 0x40);
    QString initial;
    QTimer::singleShot(0, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(files, nullptr);
        initial = files->selectedFiles().value(0);
        files->selectFile(QString::fromStdString((dir / "bare").string()));
        answerRequest(false);
        QMetaObject::invokeMethod(files, "accept");
    });
    dialog->OnSaveProject();
    // The dialog starts on the program's own path (it may show the default suffix added).
    EXPECT_EQ(initial.toStdString().rfind((dir / "Halden_Programmer").string(), 0), 0u)
        << initial.toStdString();
    const auto saved = dir / "bare.qpf";
    ASSERT_TRUE(std::filesystem::exists(saved));
    const Bytes file = readFile(saved);
    EXPECT_EQ(ProjectFile::CheckProjectFile(file), 0x17);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 0x40), Bytes(0x40, 0x5A));
    EXPECT_EQ(QString::fromStdU16String(settings.readString("Settings", "QpfSavePath", u""))
                  .toStdString(),
              saved.string());
    EXPECT_TRUE(dialog->requestFields().isEmpty());
}

TEST_F(MainWindowProjectTest, SavedProjectLoadsBackWithItsPartOptionsAndCode) {
    auto dialog = open();
    auto* parts = dialog->control<QComboBox>(MainWindowTemplate::kPartList);
    parts->setCurrentIndex(3);
    emit parts->activated(3);                                              // RQD-4
    dialog->control<QCheckBox>(MainWindowTemplate::kFirstOption)->click(); // LOCK
    const Bytes code = {1, 2, 3, 4, 5, 6, 7, 8};
    dialog->hexView()->setData(code.data(), code.size());
    const QString path = QString::fromStdString((dir / "rqd4.qpf").string());
    dialog->setSaveFileChooser([&](const QString&) { return path; });
    answerRequest(true, {"Factory", "Lab", "PN-42"});
    dialog->OnSaveProject();
    EXPECT_EQ(dialog->requestFields(), QStringList({"Factory", "Lab", "PN-42"}));
    // The form list shows the saved file's form with the request's fields.
    ASSERT_TRUE(formListOpened);
    const QStringList form = QString::fromStdU16String(shownForm).split("\r\n");
    ASSERT_EQ(form.size(), 65);
    EXPECT_EQ(form[6].simplified(), "To : Factory");
    EXPECT_EQ(form[10].simplified(), "Part No : PN-42");
    EXPECT_EQ(form[14].simplified(), "MCU Body RQD-4");
    EXPECT_EQ(form[16].simplified(), "QPF File Name rqd4.qpf");
    EXPECT_EQ(form[36].simplified(), "LOCK : V - : -");

    auto* series = dialog->control<QComboBox>(MainWindowTemplate::kSeriesList);
    series->setCurrentIndex(1);
    emit series->activated(1);
    ASSERT_EQ(parts->currentText(), "RQE-1");

    dialog->setOpenFileChooser([&](const QString&) { return path; });
    dialog->OnLoadFile();
    EXPECT_EQ(series->currentText(), "RQ-Delta Series");
    EXPECT_EQ(parts->currentText(), "RQD-4");
    EXPECT_TRUE(dialog->control<QCheckBox>(MainWindowTemplate::kFirstOption)->isChecked());
    EXPECT_EQ(dialog->partSettings().record().optionBytes[16], 0x83);
    EXPECT_EQ(dialog->codeBytes(100), code);
    EXPECT_EQ(dialog->control<QLabel>(MainWindowTemplate::kFilePathPane)->text(), path);
    EXPECT_EQ(dialog->control<QLabel>(MainWindowTemplate::kSizePane)->text(), "Size = 8 Bytes");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MainWindowProjectTest, PartWithoutALayoutStillOpensTheFormListWithAnEmptyForm) {
    auto dialog = open();
    auto* series = dialog->control<QComboBox>(MainWindowTemplate::kSeriesList);
    series->setCurrentIndex(1);
    emit series->activated(1);
    auto* parts = dialog->control<QComboBox>(MainWindowTemplate::kPartList);
    const int rqe3 = parts->findText("RQE-3");
    ASSERT_GE(rqe3, 0);
    parts->setCurrentIndex(rqe3);
    emit parts->activated(rqe3);
    dialog->hexView()->setData(Bytes(16, 1).data(), 16);
    const QString path = QString::fromStdString((dir / "rqe3.qpf").string());
    dialog->setSaveFileChooser([&](const QString&) { return path; });
    shownForm = u"unset";
    answerRequest(true, {"Factory"});
    dialog->OnSaveProject();
    ASSERT_TRUE(formListOpened);
    EXPECT_TRUE(shownForm.empty());
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
} // namespace halden
