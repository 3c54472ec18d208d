#include "common/qt/QtMessageService.h"
#include "programmer/app/CProgrammerApp.h"

#include <QApplication>

#include <memory>
#include <string>

int main(int argc, char** argv) {
    // The arguments as the system gave them, before Qt takes its own options out.
    std::vector<std::u16string> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(QString::fromLocal8Bit(argv[i]).toStdU16String());
    }
    QApplication application(argc, argv);

    const auto messages = halden::QtMessageService::fromEnvironment();

    halden::CProgrammerApp app(*messages);
    app.InitInstance(QCoreApplication::applicationFilePath().toStdString(), arguments);
    app.ExitInstance();
    return app.failed() ? 1 : 0;
}
