#include "common/ConsoleMessageService.h"
#include "common/qt/QtMessageService.h"
#include "programmer/app/CProgrammerApp.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    // The arguments as the system gave them, before Qt takes its own options out.
    std::vector<std::u16string> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(QString::fromLocal8Bit(argv[i]).toStdU16String());
    }
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

    halden::CProgrammerApp app(*messages);
    app.InitInstance(QCoreApplication::applicationFilePath().toStdString(), arguments);
    app.ExitInstance();
    return app.failed() ? 1 : 0;
}
