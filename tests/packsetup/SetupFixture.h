#pragma once

#include "packsetup/FolderChooser.h"
#include "packsetup/SetupContext.h"
#include "packsetup/qt/SetupDialog.h"
#include "tests/support/RecordingDesktopOpener.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace halden::test {

// Answers the Browse button with the queued choices, in order.
class QueuedFolderChooser : public FolderChooser {
public:
    Choice chooseFolder(std::string_view title) override {
        titles.emplace_back(title);
        Choice choice = choices.front();
        choices.pop_front();
        return choice;
    }
    std::deque<Choice> choices;
    std::vector<std::string> titles;
};

// The setup window with a program folder of its own, messages recorded.
class SetupWindowFixture : public testing::Test {
protected:
    // folder: the program's folder, a fresh one when empty.
    std::unique_ptr<SetupDialog> open(const LinkLibrary* library = nullptr,
                                      const std::string& folder = {}) {
        context = std::make_unique<SetupContext>(SetupContext{
            messages, desktop, folder.empty() ? programFolder.path().string() : folder, library});
        auto window = std::make_unique<SetupDialog>(*context);
        window->setFolderChooser(&chooser);
        window->show();
        return window;
    }

    // Runs the window's events until done() or the time is up; false on time-out.
    static bool runUntil(const std::function<bool()>& done, int milliseconds) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!done()) {
            if (elapsed.elapsed() > milliseconds) {
                return false;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    static void runFor(int milliseconds) {
        runUntil([] { return false; }, milliseconds);
    }

    std::vector<std::string> texts() const { return messages.lines(); }

    // Saves a picture of the window as the screen shows it, when screenshots are asked
    // for (HALDEN_SCREENSHOT_DIR, under a real X server).
    static void screenshot(QWidget& window, const std::string& name) {
        const char* folder = std::getenv("HALDEN_SCREENSHOT_DIR");
        if (folder == nullptr) {
            return;
        }
        runFor(300); // mapped and painted
        const QPixmap shot = QGuiApplication::platformName() == "xcb"
                                 ? window.screen()->grabWindow(window.winId())
                                 : window.grab();
        shot.save(QString::fromStdString(std::string(folder) + "/" + name));
    }

    RecordingMessageService messages;
    RecordingDesktopOpener desktop;
    QueuedFolderChooser chooser;
    TempDir programFolder;
    std::unique_ptr<SetupContext> context;
};

} // namespace halden::test
