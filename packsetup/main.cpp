#include "common/ConsoleMessageService.h"
#include "common/qt/QtDesktopOpener.h"
#include "common/qt/QtMessageService.h"
#include "packsetup/SetupApp.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    // HALDEN_MESSAGES=console writes each message as one line on standard error and
    // answers it with its default button, for scripted runs of the program.
    std::unique_ptr<halden::MessageService> messages;
    const char* mode = std::getenv("HALDEN_MESSAGES");
    if (mode != nullptr && std::string(mode) == "console") {
        messages = std::make_unique<halden::ConsoleMessageService>(std::cerr);
    } else {
        messages = std::make_unique<halden::QtMessageService>();
    }
    halden::QtDesktopOpener desktop;

    halden::SetupApp app(*messages, desktop);
    return static_cast<int>(app.InitInstance());
}
