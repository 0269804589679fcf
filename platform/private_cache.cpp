// The run's private cache folder; see private_cache.h.
#include "platform/private_cache.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view runPrefix = "run-";

std::string& madeFolder()
{
    static std::string folder;
    return folder;
}

// A process with this id exists (possibly another user's).
bool processExists(long pid)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

std::string privateCacheRoot()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        return std::string(cache) + "/orvanta";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.cache/orvanta";
}

std::string privateCacheFolder()
{
    std::string& folder = madeFolder();
    if (!folder.empty() && fs::is_directory(folder))
        return folder;
    const std::string root = privateCacheRoot();
    std::error_code error;
    fs::create_directories(root, error);
    const std::string wanted = root + "/" + std::string(runPrefix) + std::to_string(::getpid());
    // mkdir with 0700 from the start: the folder is never readable by others,
    // not even for a moment. A folder left by a dead run of the same id is
    // taken over only when it is a real folder of ours.
    if (::mkdir(wanted.c_str(), 0700) != 0) {
        struct stat facts { };
        if (errno != EEXIST || ::lstat(wanted.c_str(), &facts) != 0 || !S_ISDIR(facts.st_mode)
            || facts.st_uid != ::getuid())
            return std::string();
        ::chmod(wanted.c_str(), 0700);
    }
    folder = wanted;
    return folder;
}

void removePrivateCacheFolder()
{
    std::string& folder = madeFolder();
    if (folder.empty())
        return;
    std::error_code error;
    fs::remove_all(folder, error);
    folder.clear();
}

void removeStalePrivateCacheFolders()
{
    std::error_code error;
    fs::directory_iterator it(privateCacheRoot(), error);
    if (error)
        return;
    for (const fs::directory_entry& item : it) {
        const std::string name = item.path().filename().string();
        if (name.rfind(runPrefix, 0) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + runPrefix.size(), &end, 10);
        if (!end || *end != '\0' || pid == static_cast<long>(::getpid()) || processExists(pid))
            continue;
        std::error_code ignored;
        fs::remove_all(item.path(), ignored);
    }
}

} // namespace ov
