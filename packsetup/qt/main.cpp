#include "common/qt/QtDesktopOpener.h"
#include "common/qt/QtMessageService.h"
#include "packsetup/qt/SetupApp.h"

#include <QApplication>

#include <memory>
#include <string>

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    const auto messages = halden::QtMessageService::fromEnvironment();
    halden::QtDesktopOpener desktop;

    halden::SetupApp app(*messages, desktop);
    return static_cast<int>(app.InitInstance());
}
