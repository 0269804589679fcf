// Folders held by descriptor; see folder_fd.h.
#include "platform/folder_fd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace ov {

std::string makeAndResolveHostFolder(const std::string& hostFolder)
{
    std::error_code error;
    std::filesystem::create_directories(hostFolder, error);
    char* real = ::realpath(hostFolder.c_str(), nullptr);
    if (!real)
        return {};
    std::string resolved = real;
    std::free(real);
    return resolved;
}

UniqueFd openHostFolder(const std::string& hostFolder)
{
    return UniqueFd(::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

UniqueFd enterFolderAt(int folderFd, const std::string& name)
{
    if (::mkdirat(folderFd, name.c_str(), 0777) != 0 && errno != EEXIST)
        return UniqueFd();
    return UniqueFd(::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

bool allowOwnerWriteAt(int folderFd, const std::string& name)
{
    struct stat info { };
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return false;
    }
    if (info.st_mode & S_IWUSR) {
        errno = EACCES;
        return false;
    }
    return ::fchmodat(folderFd, name.c_str(), (info.st_mode & 07777) | S_IWUSR, 0) == 0;
}

} // namespace ov
