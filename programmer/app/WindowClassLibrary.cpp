#include "programmer/app/WindowClassLibrary.h"

#include "common/SystemError.h"
#include "hexview/qt/HexViewControl.h"

#include <QFileInfo>

namespace halden {

std::uint32_t WindowClassLibrary::load(const std::string& path) {
    unload();
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) {
        return SystemError::kModuleNotFound;
    }
    loader_.setFileName(file);
    windowClass_ = qobject_cast<WindowClass*>(loader_.instance());
    return windowClass_ != nullptr ? 0 : SystemError::kBadFormat;
}

void WindowClassLibrary::unload() {
    windowClass_ = nullptr;
    if (loader_.isLoaded()) {
        loader_.unload();
    }
}

} // namespace halden
