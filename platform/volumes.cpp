// Volumes and memory; see volumes.h.
#include "platform/volumes.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace ov {

namespace {

// udev names links with "\x20" escapes for blanks and other bytes.
std::string unescapeUdev(const std::string& name)
{
    std::string result;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex = name.substr(i + 2, 2);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                result += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        result += name[i];
    }
    return result;
}

// The name of the link in folder that points to the block device device.
std::string linkNameForDevice(const char* folder, dev_t device)
{
    DIR* dir = ::opendir(folder);
    if (!dir)
        return std::string();
    std::string found;
    while (dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info { };
        if (::stat((std::string(folder) + "/" + name).c_str(), &info) == 0 && S_ISBLK(info.st_mode)
            && info.st_rdev == device) {
            found = unescapeUdev(name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

DiskSpace volumeSpace(const std::string& hostPath)
{
    DiskSpace space;
    struct statvfs info { };
    if (hostPath.empty() || ::statvfs(hostPath.c_str(), &info) != 0)
        return space;
    space.known = true;
    space.freeBytes = static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
    space.totalBytes = static_cast<int64_t>(info.f_blocks) * static_cast<int64_t>(info.f_frsize);
    return space;
}

VolumeNames volumeNames(const std::string& hostPath)
{
    VolumeNames names;
    struct stat root { };
    if (hostPath.empty() || ::stat(hostPath.c_str(), &root) != 0)
        return names;
    names.label = linkNameForDevice("/dev/disk/by-label", root.st_dev);
    names.uuid = linkNameForDevice("/dev/disk/by-uuid", root.st_dev);
    return names;
}

MemoryStatus parseMemInfo(const std::string& text)
{
    MemoryStatus status;
    std::istringstream lines(text);
    std::string line;
    bool total = false, available = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string key;
        int64_t kilobytes = 0;
        if (!(fields >> key >> kilobytes) || kilobytes < 0 || kilobytes > (int64_t(1) << 50))
            continue;
        const int64_t bytes = kilobytes * 1024;
        if (key == "MemTotal:") {
            status.totalPhysical = bytes;
            total = true;
        } else if (key == "MemAvailable:") {
            status.availablePhysical = bytes;
            available = true;
        } else if (key == "SwapTotal:") {
            status.totalPageFile = bytes;
        } else if (key == "SwapFree:") {
            status.availablePageFile = bytes;
        }
    }
    status.known = total && available;
    return status;
}

MemoryStatus memoryStatus()
{
    std::ifstream file("/proc/meminfo");
    std::stringstream text;
    text << file.rdbuf();
    return parseMemInfo(text.str());
}

} // namespace ov
