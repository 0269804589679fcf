// The copy rules; see copy_rules.h.
#include "platform/copy_rules.h"

#include "platform/tree_walk.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace ov {

namespace {

// Up from hostFolder through "..", to the top of its mount tree.
bool upFrom(const std::string& hostFolder, uint64_t device, uint64_t inode)
{
    int fd = ::open(hostFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool found = false;
    // Bounded: a path has at most PATH_MAX / 2 components.
    for (int depth = 0; depth < 4096; ++depth) {
        struct stat info { };
        if (::fstat(fd, &info) != 0)
            break;
        if (deviceNumber(info.st_dev) == device && static_cast<uint64_t>(info.st_ino) == inode) {
            found = true;
            break;
        }
        const int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0)
            break;
        struct stat parentInfo { };
        const bool atTop = ::fstat(parent, &parentInfo) != 0 || sameFile(parentInfo, info);
        ::close(fd);
        fd = parent;
        if (atTop)
            break;
    }
    ::close(fd);
    return found;
}

struct Mount {
    dev_t device = 0;
    std::string root; // the part of the filesystem it shows
    std::string point; // where
};

// /proc/self/mountinfo escapes blanks, tabs, newlines and "\" as \ooo.
std::string unescapeMountField(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3') {
            result += static_cast<char>(
                (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::vector<Mount> readMounts()
{
    std::vector<Mount> mounts;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point;
        if (!(fields >> id >> parent >> numbers >> root >> point))
            continue;
        unsigned major = 0, minor = 0;
        if (std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) != 2)
            continue;
        mounts.push_back({ makedev(major, minor), unescapeMountField(root), unescapeMountField(point) });
    }
    return mounts;
}

// "/a/b" holds "/a/b" and "/a/b/c"; "/" holds everything.
bool holds(const std::string& folder, const std::string& path)
{
    if (folder == "/")
        return true;
    return path.compare(0, folder.size(), folder) == 0
        && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string below(const std::string& folder, const std::string& path)
{
    return folder == "/" ? path : path.substr(folder.size());
}

} // namespace

bool isExistingFolder(const std::string& hostPath)
{
    struct stat info { };
    return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isSameOrBelow(const std::string& hostFolder, uint64_t device, uint64_t inode)
{
    if (upFrom(hostFolder, device, inode))
        return true;
    char resolved[PATH_MAX];
    if (!::realpath(hostFolder.c_str(), resolved))
        return false;
    const std::string path = resolved;
    // The mount that shows hostFolder: the last one mounted on the deepest
    // point that holds it.
    const std::vector<Mount> mounts = readMounts();
    const Mount* shown = nullptr;
    for (const Mount& mount : mounts)
        if (holds(mount.point, path) && (!shown || mount.point.size() >= shown->point.size()))
            shown = &mount;
    if (!shown || shown->root == "/")
        return false;
    // Where the folder lies in its filesystem, and so in every other mount
    // of it that shows that place.
    const std::string inFileSystem = shown->root + below(shown->point, path);
    for (const Mount& mount : mounts) {
        if (&mount == shown || mount.device != shown->device || !holds(mount.root, inFileSystem))
            continue;
        const std::string rest = below(mount.root, inFileSystem);
        const std::string elsewhere = mount.point == "/" ? (rest.empty() ? "/" : rest) : mount.point + rest;
        if (upFrom(elsewhere, device, inode))
            return true;
    }
    return false;
}

RenameResult renameAt(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName)
{
    if (::renameat(fromFolder, fromName.c_str(), toFolder, toName.c_str()) == 0)
        return RenameResult::Renamed;
    return errno == EXDEV ? RenameResult::CrossDevice : RenameResult::Refused;
}

void CopyLedger::made(const struct stat& target, const std::string& shownSource)
{
    m_made[{ deviceNumber(target.st_dev), static_cast<uint64_t>(target.st_ino) }] = shownSource;
}

const std::string* CopyLedger::madeFrom(const struct stat& target) const
{
    const auto found = m_made.find({ deviceNumber(target.st_dev), static_cast<uint64_t>(target.st_ino) });
    return found == m_made.end() ? nullptr : &found->second;
}

std::string madeTwiceQuestion(
    const std::string& shownTarget, const std::string& earlier, const std::string& later)
{
    return "The file " + shownTarget + " was made by this operation from\n" + earlier
        + ".\nDo you want to replace it with\n" + later + "?";
}

} // namespace ov
