#pragma once

#include <QPluginLoader>

#include <cstdint>
#include <string>

namespace halden {

class WindowClass;

// A control library loaded by file name; loading it registers its window class.
class WindowClassLibrary {
public:
    ~WindowClassLibrary() { unload(); }

    // 0 on success, otherwise a system error code: 126 when the file is missing,
    // 11 when it is not a control library.
    std::uint32_t load(const std::string& path);
    void unload();
    WindowClass* windowClass() const { return windowClass_; }
    std::string error() const { return loader_.errorString().toStdString(); }

private:
    QPluginLoader loader_;
    WindowClass* windowClass_ = nullptr;
};

} // namespace halden
