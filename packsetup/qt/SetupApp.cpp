#include "packsetup/qt/SetupApp.h"

#include "packsetup/SetupContext.h"
#include "packsetup/qt/SetupDialog.h"

#include <filesystem>
#include <system_error>

namespace halden {

std::uint32_t SetupApp::programPath(std::string& path) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return static_cast<std::uint32_t>(error.value());
    }
    path = self.string();
    return 0;
}

std::string SetupApp::folderOf(const std::string& path) {
    const auto separator = path.rfind('/');
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

bool SetupApp::loadLinkLibrary(const std::string& folder) {
    const std::string library = folder + "/" + LinkLibrary::kFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(library, error)) {
        return false;
    }
    return linkLibrary_.load(library) == 0;
}

std::uint32_t SetupApp::InitInstance() {
    std::string path;
    if (const std::uint32_t error = programPath(path); error != 0) {
        return error;
    }
    return InitInstance(path);
}

std::uint32_t SetupApp::InitInstance(const std::string& programPath) {
    const std::string folder = folderOf(programPath);
    if (!folder.empty()) {
        loadLinkLibrary(folder);
    }
    SetupContext context{messages_, desktop_, folder, &linkLibrary_};
    SetupDialog dialog(context);
    dialog.exec();
    // The library stays loaded until the process ends.
    return 0;
}

} // namespace halden
