// HostFile and the writing calls; see host_file.h.
#include "platform/host_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace ov {

bool HostFile::open(const std::string& hostPath)
{
    m_fd.reset();
    m_notRegular = false;
    UniqueFd fd(::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        return false;
    struct stat info { };
    if (::fstat(fd.get(), &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode)) {
        m_notRegular = true;
        errno = EINVAL;
        return false;
    }
    // Of the flags F_SETFL can change, only O_NONBLOCK was set.
    ::fcntl(fd.get(), F_SETFL, 0);
    m_fd = std::move(fd);
    m_size = info.st_size;
    m_modificationTime = info.st_mtim;
    m_ownerMayWrite = (info.st_mode & S_IWUSR) != 0;
    return true;
}

std::ptrdiff_t HostFile::readAt(int64_t offset, void* buffer, std::size_t length) const
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(
            m_fd.get(), out + done, length - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(done);
}

bool isRegularHostFile(const std::string& hostPath)
{
    struct stat info { };
    return ::stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isSpecialHostFile(const std::string& hostPath)
{
    struct stat info { };
    return ::stat(hostPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

UniqueFd openHostForWriting(const std::string& hostPath)
{
    return UniqueFd(::open(hostPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
}

bool writeAllToHost(int fd, const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool removeHostFile(const std::string& hostPath)
{
    return ::unlink(hostPath.c_str()) == 0;
}

bool makeHostFolder(const std::string& hostPath)
{
    return ::mkdir(hostPath.c_str(), 0777) == 0;
}

bool removeHostFolder(const std::string& hostPath)
{
    return ::rmdir(hostPath.c_str()) == 0;
}

} // namespace ov
