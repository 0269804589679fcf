// Program folder and Windows folder; see folders.h.
#include "platform/folders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace ov {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void ensureFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
}

// True when a file named ov.ini can be created or written in folder.
bool writableForSettings(const std::string& folder)
{
    const std::string ini = folder + "/ov.ini";
    if (::access(ini.c_str(), F_OK) == 0)
        return ::access(ini.c_str(), W_OK) == 0;
    return ::access(folder.c_str(), W_OK) == 0;
}

} // namespace

std::string executableFolder()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return withoutTrailingSlash(std::filesystem::current_path(error).string());
    return withoutTrailingSlash(self.parent_path().string());
}

std::string configHome()
{
    std::string home = environment("XDG_CONFIG_HOME");
    if (home.empty())
        home = environment("HOME") + "/.config";
    return withoutTrailingSlash(home);
}

std::string programFolder()
{
    std::string folder = environment("ORVANTA_HOME");
    if (folder.empty()) {
        folder = executableFolder();
        // An installed copy under /usr cannot keep its settings beside itself.
        if (!writableForSettings(folder) || folder.rfind("/usr/", 0) == 0)
            folder = configHome() + "/orvanta";
    }
    folder = withoutTrailingSlash(folder);
    ensureFolder(folder);
    return folder;
}

std::string windowsFolder()
{
    std::string base = environment("ORVANTA_HOME");
    if (base.empty())
        base = configHome() + "/orvanta";
    const std::string folder = withoutTrailingSlash(base) + "/windows";
    ensureFolder(folder);
    return folder;
}

} // namespace ov
