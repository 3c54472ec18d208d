#include "common/InstanceLockFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace halden {

namespace {

bool isOwnFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid();
}

std::string homeOf(const char* home) {
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// Each missing folder on the way, for the user alone.
bool makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

} // namespace

std::string InstanceLockFolder::find() {
    return find(std::getenv("XDG_RUNTIME_DIR"), std::getenv("HOME"));
}

std::string InstanceLockFolder::find(const char* runtimeFolder, const char* home) {
    if (runtimeFolder != nullptr && runtimeFolder[0] == '/' && isOwnFolder(runtimeFolder)) {
        return runtimeFolder;
    }
    const std::string base = homeOf(home);
    if (base.empty()) {
        return {};
    }
    const std::string folder = (base.back() == '/' ? base : base + "/") + kHomeFolder;
    return makeFolders(folder) && isOwnFolder(folder) ? folder : std::string{};
}

} // namespace halden
