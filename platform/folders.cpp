// Program folder and Windows folder; see folders.h.
#include "platform/folders.h"

#include <algorithm>
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

// The data files a program folder is seeded with.
const char* const DataFiles[] = { "ov_eng.ini", "ov_rus.ini", "ov_pol.ini", "ov_ita.ini", "fcolors.ini" };

bool isFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
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

std::vector<std::string> dataFolders()
{
    const std::string self = executableFolder();
    std::vector<std::string> folders = { self,
        withoutTrailingSlash(std::filesystem::path(self).parent_path().string()) + "/share/orvanta" };
    std::string shared = environment("XDG_DATA_DIRS");
    if (shared.empty())
        shared = "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= shared.size()) {
        const std::size_t end = std::min(shared.find(':', start), shared.size());
        if (end > start)
            folders.push_back(withoutTrailingSlash(shared.substr(start, end - start)) + "/orvanta");
        start = end + 1;
    }
    return folders;
}

std::vector<std::string> seedDataFiles(const std::string& folder, const std::vector<std::string>& sources)
{
    std::vector<std::string> copied;
    std::error_code error;
    for (const char* name : DataFiles) {
        const std::string target = folder + "/" + name;
        // lstat, not stat: a dangling link the user left is still theirs.
        if (std::filesystem::exists(std::filesystem::symlink_status(target, error)))
            continue;
        for (const std::string& source : sources) {
            const std::string from = source + "/" + name;
            if (std::filesystem::equivalent(source, folder, error) || !isFile(from))
                continue;
            // Through a temporary name, so an interrupted copy never looks
            // like the user's own file.
            const std::string temporary = target + ".seeding";
            std::filesystem::remove(temporary, error);
            if (std::filesystem::copy_file(from, temporary, error)
                && ::link(temporary.c_str(), target.c_str()) == 0)
                copied.push_back(name);
            std::filesystem::remove(temporary, error);
            break;
        }
    }
    return copied;
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
    // A fresh folder gets the shipped language files, without which every
    // caption would be empty.
    seedDataFiles(folder, dataFolders());
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
