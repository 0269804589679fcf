// Host listings and file facts; see file_system.h.
#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ov {

namespace {

constexpr const char* dosAttributeName = "user.DOSATTRIB";
constexpr uint16_t storedBits = faReadOnly | faHidden | faSysFile | faArchive;

timespec fromStatx(const struct statx_timestamp& t)
{
    timespec result {};
    result.tv_sec = t.tv_sec;
    result.tv_nsec = t.tv_nsec;
    return result;
}

// Fills entry from a statx record; name is already set.
void fillEntry(const struct statx& info, HostEntry& entry)
{
    const uint32_t mode = info.stx_mode;
    entry.mode = mode;
    entry.device = (static_cast<uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor;
    entry.inode = info.stx_ino;
    entry.accessed = fromStatx(info.stx_atime);
    entry.written = fromStatx(info.stx_mtime);
    entry.created = (info.stx_mask & STATX_BTIME) ? fromStatx(info.stx_btime) : fromStatx(info.stx_ctime);
    entry.attr = 0;
    entry.size = 0;
    if (S_ISDIR(mode)) {
        entry.kind = HostKind::Directory;
        entry.attr |= faDirectory;
    } else if (S_ISLNK(mode)) {
        entry.kind = HostKind::SymLink;
        entry.attr |= faSymLink;
    } else if (S_ISREG(mode)) {
        entry.kind = HostKind::Regular;
        entry.size = static_cast<int64_t>(info.stx_size);
        if (!(mode & S_IWUSR))
            entry.attr |= faReadOnly;
    } else {
        entry.kind = HostKind::Other;
    }
    if (!entry.name.empty() && entry.name[0] == '.')
        entry.attr |= faHidden;
}

constexpr unsigned statxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_INO | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;

uint16_t readStored(const std::string& hostPath, bool& supported)
{
    if (!supported)
        return 0;
    unsigned char value[128];
    const ssize_t n = ::lgetxattr(hostPath.c_str(), dosAttributeName, value, sizeof value);
    if (n < 0) {
        // One refusal from the file system stands for the whole folder.
        if (errno == ENOTSUP)
            supported = false;
        return 0;
    }
    return parseDosAttributeValue(value, static_cast<std::size_t>(n));
}

} // namespace

uint16_t parseDosAttributeValue(const unsigned char* data, std::size_t size)
{
    if (size >= 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
        uint32_t value = 0;
        for (std::size_t i = 2; i < size && i < 10; ++i) {
            const unsigned char c = data[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                break;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return static_cast<uint16_t>(value & storedBits);
    }
    // The binary record: a 16-bit version (repeated as the union level),
    // then the attribute; versions 4 and 5 put a 32-bit validity mask first.
    const auto u16 = [&](std::size_t at) { return static_cast<uint32_t>(data[at] | (data[at + 1] << 8)); };
    const auto u32 = [&](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    if (size < 8)
        return 0;
    const uint32_t version = u16(0);
    if (version >= 1 && version <= 3)
        return static_cast<uint16_t>(u32(4) & storedBits);
    if ((version == 4 || version == 5) && size >= 12)
        return static_cast<uint16_t>(u32(8) & storedBits);
    return 0;
}

bool listFolder(const std::string& hostFolder, std::vector<HostEntry>& entries)
{
    entries.clear();
    const int dirFd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return false;
    DIR* dir = ::fdopendir(::dup(dirFd));
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    std::vector<std::string> names;
    while (dirent* item = ::readdir(dir)) {
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());

    bool xattrSupported = true;
    const std::string prefix = hostFolder == "/" ? "/" : hostFolder + "/";
    entries.reserve(names.size());
    for (std::string& name : names) {
        struct statx info {};
        if (::statx(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, statxMask, &info) != 0)
            continue;
        HostEntry entry;
        entry.name = std::move(name);
        fillEntry(info, entry);
        if (entry.kind != HostKind::SymLink)
            entry.attr |= readStored(prefix + entry.name, xattrSupported);
        entries.push_back(std::move(entry));
    }
    ::close(dirFd);
    return true;
}

bool statPath(const std::string& hostPath, HostEntry& entry)
{
    struct statx info {};
    if (::statx(AT_FDCWD, hostPath.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, statxMask, &info) != 0)
        return false;
    const auto slash = hostPath.find_last_of('/');
    entry.name = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
    fillEntry(info, entry);
    bool supported = true;
    if (entry.kind != HostKind::SymLink)
        entry.attr |= readStored(hostPath, supported);
    return true;
}

TSystemTime toLocalTime(const timespec& time)
{
    TSystemTime result;
    struct tm local {};
    const time_t seconds = time.tv_sec;
    if (!::localtime_r(&seconds, &local))
        return result;
    result.wYear = static_cast<uint16_t>(std::clamp(local.tm_year + 1900, 0, 65535));
    result.wMonth = static_cast<uint16_t>(local.tm_mon + 1);
    result.wDayOfWeek = static_cast<uint16_t>(local.tm_wday);
    result.wDay = static_cast<uint16_t>(local.tm_mday);
    result.wHour = static_cast<uint16_t>(local.tm_hour);
    result.wMinute = static_cast<uint16_t>(local.tm_min);
    result.wSecond = static_cast<uint16_t>(std::min(local.tm_sec, 59));
    result.wMilliseconds = static_cast<uint16_t>(time.tv_nsec / 1000000);
    return result;
}

uint16_t readStoredDosAttributes(const std::string& hostPath)
{
    unsigned char value[128];
    const ssize_t n = ::lgetxattr(hostPath.c_str(), dosAttributeName, value, sizeof value);
    return n < 0 ? 0 : parseDosAttributeValue(value, static_cast<std::size_t>(n));
}

bool writeStoredDosAttributes(const std::string& hostPath, uint16_t attr)
{
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(attr & storedBits));
    return ::lsetxattr(hostPath.c_str(), dosAttributeName, text, static_cast<std::size_t>(length), 0) == 0;
}

bool isPseudoFileSystem(const std::string& hostPath)
{
    struct statfs info {};
    if (::statfs(hostPath.c_str(), &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case 0x62656570: // configfs
    case 0x42494e4d: // binfmt_misc
    case 0x6e736673: // nsfs
        return true;
    case TMPFS_MAGIC:
        // devtmpfs reports the tmpfs magic; it is known by where it is mounted.
        return hostPath == "/dev" || hostPath.rfind("/dev/", 0) == 0;
    default:
        return false;
    }
}

} // namespace ov
