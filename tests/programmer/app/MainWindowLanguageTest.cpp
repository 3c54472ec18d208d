#include "programmer/app/CProgrammerDlg.h"
#include "programmer/app/MainWindowTemplate.h"
#include "programmer/text/LanguageSetting.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/UiText.h"
#include "tests/programmer/app/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

namespace halden {
namespace {

// The width a label needs to show whole in its control, as the control's style lays it out.
int neededWidth(QWidget* widget) {
    const QFontMetrics metrics = widget->fontMetrics();
    const int text = metrics.horizontalAdvance(labelOf(widget));
    if (qobject_cast<QCheckBox*>(widget) != nullptr) {
        return widget->sizeHint().width();
    }
    if (qobject_cast<QPushButton*>(widget) != nullptr) {
        return text + 2 * widget->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
    }
    if (qobject_cast<QGroupBox*>(widget) != nullptr) {
        return text + 2 * metrics.horizontalAdvance(QLatin1Char(' '));
    }
    return text;
}

QMenu* languageMenu(CProgrammerDlg& dialog) {
    return dialog.systemMenu()->findChild<QMenu*>("languageMenu");
}

TEST(LanguageSettingTest, OnlyAShippedTableIsChosen) {
    const struct {
        std::optional<int> stored;
        std::uint16_t index;
    } cases[] = {{std::nullopt, 0}, {0, 0}, {1, 1}, {2, 0}, {-1, 0}, {256, 0}};
    for (const auto& row : cases) {
        test::MemorySettingsStore settings;
        if (row.stored) {
            settings.writeInt("Settings", "Language", *row.stored);
        }
        EXPECT_EQ(LanguageSetting::read(settings), row.index)
            << "stored " << row.stored.value_or(-999);
    }
}

// Each language shows every label of its table on the window, none cut off.
class MainWindowLanguageTest : public MainWindowTest,
                               public testing::WithParamInterface<std::uint16_t> {};

TEST_P(MainWindowLanguageTest, EveryLabelComesFromTheTableAndFits) {
    context = std::make_unique<ProgrammerContext>(ProgrammerContext{
        messages, settings, &linkLibrary, hexEdit.windowClass(), CommandLine::Values{}});
    context->languageIndex = GetParam();
    CProgrammerDlg dialog(*context);
    dialog.show();
    const KeyedTables tables(ProgrammerResources::directory());
    const UiText text(tables, GetParam());
    int labelled = 0;
    for (const int id : MainWindowTemplate::kLabelledIds) {
        QWidget* widget = dialog.control(id);
        if (widget == nullptr) {
            continue;
        }
        const auto expected = text.controlText(static_cast<std::uint16_t>(id));
        ASSERT_TRUE(expected) << id;
        EXPECT_EQ(labelOf(widget).toStdU16String(), *expected) << id;
        EXPECT_LE(neededWidth(widget), widget->width())
            << id << " \"" << labelOf(widget).toStdString() << "\"";
        EXPECT_LE(widget->fontMetrics().height(), widget->height()) << id;
        ++labelled;
    }
    EXPECT_EQ(labelled, 17); // every ID of the list but the three without a control
}

INSTANTIATE_TEST_SUITE_P(Tables, MainWindowLanguageTest,
                         testing::Values(LanguageSetting::kEnglish,
                                         LanguageSetting::kSimplifiedChinese));

TEST_F(MainWindowTest, LanguageChoiceIsStoredForTheNextStart) {
    auto dialog = open();
    QMenu* languages = languageMenu(*dialog);
    ASSERT_NE(languages, nullptr);
    const auto choices = languages->actions();
    ASSERT_EQ(choices.size(), 2);
    EXPECT_EQ(choices[0]->text(), "English");
    EXPECT_EQ(choices[1]->text(), QString::fromUtf8("简体中文"));
    EXPECT_TRUE(choices[0]->isChecked()); // absent: English
    const QString loadFile = labelOf(dialog->control(MainWindowTemplate::kLoadFile));

    choices[1]->trigger();
    EXPECT_EQ(settings.readInt("Settings", "Language", -1), 1);
    EXPECT_TRUE(choices[1]->isChecked());
    EXPECT_FALSE(choices[0]->isChecked());
    // The texts stay until the next start.
    EXPECT_EQ(labelOf(dialog->control(MainWindowTemplate::kLoadFile)), loadFile);

    dialog.reset();
    auto reopened = open();
    EXPECT_TRUE(languageMenu(*reopened)->actions()[1]->isChecked());
    languageMenu(*reopened)->actions()[0]->trigger();
    EXPECT_EQ(settings.readInt("Settings", "Language", -1), 0);
}

// In Chinese, the window's own entries and panes speak Chinese too; a language chosen
// says that it shows at the next start, in its own words.
TEST_F(MainWindowTest, TheWindowsOwnTextsFollowTheLanguage) {
    context = std::make_unique<ProgrammerContext>(ProgrammerContext{
        messages, settings, &linkLibrary, hexEdit.windowClass(), CommandLine::Values{}});
    context->languageIndex = LanguageSetting::kSimplifiedChinese;
    CProgrammerDlg dialog(*context);
    QStringList entries;
    for (auto* action : dialog.contextMenu()->actions()) {
        if (!action->isSeparator()) {
            entries << action->text();
        }
    }
    EXPECT_EQ(entries.mid(2),
              QStringList({QString::fromUtf8("语言"), QString::fromUtf8("读取目标芯片..."),
                           QString::fromUtf8("校验目标芯片"), QString::fromUtf8("查空")}));
    test::TempDir dir;
    const auto file = dir.write("app.bin", std::string(2048, '\x11'));
    ASSERT_EQ(dialog.imageLoader().LoadImageFile(file.string(), false),
              ImageLoader::Outcome::Loaded);
    EXPECT_EQ(labelOf(dialog.control(MainWindowTemplate::kSizePane)),
              QString::fromUtf8("大小 = 2048 字节"));

    const auto choices = languageMenu(dialog)->actions();
    choices[1]->trigger(); // the language it shows: nothing to say
    EXPECT_TRUE(messages.messages.empty());
    choices[0]->trigger();
    ASSERT_EQ(messages.lines(),
              std::vector<std::string>{"[Halden_Programmer] The language you chose shows at the "
                                       "next start of Halden_Programmer."});
    EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Information);
    EXPECT_EQ(settings.readInt("Settings", "Language", -1), 0);
}

TEST_F(MainWindowTest, ChoosingChineseSaysItInChinese) {
    auto dialog = open();
    languageMenu(*dialog)->actions()[1]->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "所选语言将在下次启动 Halden_Programmer 时生效。");
}

} // namespace
} // namespace halden
