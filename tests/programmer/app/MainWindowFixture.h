#pragma once

#include "adapter/LinkLibrary.h"
#include "programmer/app/CProgrammerDlg.h"
#include "programmer/app/WindowClassLibrary.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/RecordingMessageService.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include <memory>

namespace halden {

// The text a control shows: a button's, a group box's title, a static text's; empty for
// any other control.
inline QString labelOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

// The main window, which builds its programmer core, with the real HexEdit library and
// link library.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(hexEdit.load(std::string(HALDEN_BIN_DIR) + "/HexEdit.so"), 0u) << hexEdit.error();
        ASSERT_EQ(linkLibrary.load(std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so"), 0u);
    }

    std::unique_ptr<CProgrammerDlg> open(CommandLine::Values commandLine = {}) {
        context = std::make_unique<ProgrammerContext>(ProgrammerContext{
            messages, settings, &linkLibrary, hexEdit.windowClass(), commandLine});
        return std::make_unique<CProgrammerDlg>(*context);
    }

    test::RecordingMessageService messages;
    test::MemorySettingsStore settings;
    WindowClassLibrary hexEdit;
    LinkLibrary linkLibrary;
    std::unique_ptr<ProgrammerContext> context;
};

} // namespace halden
