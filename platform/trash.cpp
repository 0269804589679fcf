// The freedesktop Trash; see trash.h.
#include "platform/trash.h"

#include "platform/host_file.h"

#include "platform/file_operation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

// Makes an absolute path without resolving links: the trash records the
// path the user saw. "." and ".." components are resolved textually.
std::string absolutePath(const std::string& path)
{
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char cwd[4096];
        if (!::getcwd(cwd, sizeof cwd))
            return std::string();
        full = std::string(cwd) + "/" + full;
    }
    std::string result;
    std::size_t start = 0;
    while (start <= full.size()) {
        auto end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string part = full.substr(start, end - start);
        if (part == "..") {
            const auto slash = result.find_last_of('/');
            result.erase(slash == std::string::npos ? 0 : slash);
        } else if (!part.empty() && part != ".") {
            result += "/" + part;
        }
        start = end + 1;
    }
    return result.empty() ? "/" : result;
}

bool makeFolder(const std::string& path, mode_t mode)
{
    if (::mkdir(path.c_str(), mode) == 0)
        return true;
    struct stat info { };
    return errno == EEXIST && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates path and its missing parents.
bool makeFolders(const std::string& path, mode_t mode)
{
    struct stat info { };
    if (::lstat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::string parent = hostParentOf(path);
    if (parent != path && !makeFolders(parent, 0755))
        return false;
    return makeFolder(path, mode);
}

// The top folder of the filesystem that holds the folder path: the last
// folder upwards with the same device.
std::string mountTop(const std::string& folder, dev_t device)
{
    std::string current = folder;
    while (current != "/") {
        const std::string parent = hostParentOf(current);
        struct stat info { };
        if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device)
            break;
        current = parent;
    }
    return current;
}

struct TrashPlace {
    std::string folder; // the trash folder holding files/ and info/
    std::string pathText; // what the .trashinfo records as Path
};

bool chooseTrash(const std::string& path, dev_t device, TrashPlace& place, std::string& error)
{
    const std::string home = homeTrashFolder();
    if (home.empty()) {
        error = "no home folder for the trash";
        return false;
    }
    // The home trash serves its own filesystem; measure at the nearest
    // existing folder on its way.
    std::string probe = home;
    struct stat info { };
    while (::stat(probe.c_str(), &info) != 0 && probe != "/")
        probe = hostParentOf(probe);
    if (info.st_dev == device) {
        place.folder = home;
        place.pathText = path;
        return true;
    }
    const std::string top = mountTop(hostParentOf(path), device);
    const std::string uid = std::to_string(::getuid());
    const std::string admin = (top == "/" ? std::string() : top) + "/.Trash";
    struct stat adminInfo { };
    if (::lstat(admin.c_str(), &adminInfo) == 0 && S_ISDIR(adminInfo.st_mode)
        && (adminInfo.st_mode & S_ISVTX)) {
        const std::string own = admin + "/" + uid;
        if (makeFolder(own, 0700)) {
            place.folder = own;
        }
    }
    if (place.folder.empty()) {
        const std::string own = (top == "/" ? std::string() : top) + "/.Trash-" + uid;
        struct stat ownInfo { };
        if (!makeFolder(own, 0700) || ::lstat(own.c_str(), &ownInfo) != 0 || ownInfo.st_uid != ::getuid()) {
            error = "no trash can be made on the filesystem of " + path;
            return false;
        }
        place.folder = own;
    }
    place.pathText = top == "/" ? path.substr(1) : path.substr(top.size() + 1);
    return true;
}

std::string deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

} // namespace

std::string homeTrashFolder()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return std::string(dataHome) + "/Trash";
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::string();
    return std::string(home) + "/.local/share/Trash";
}

std::string encodeTrashPath(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string result;
    for (const unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            result += static_cast<char>(c);
        } else {
            result += '%';
            result += hex[c >> 4];
            result += hex[c & 15];
        }
    }
    return result;
}

bool moveToTrash(const std::string& hostPath, std::string* error)
{
    std::string reason;
    const auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const std::string path = absolutePath(hostPath);
    struct stat info { };
    if (path.empty() || path == "/" || ::lstat(path.c_str(), &info) != 0)
        return fail("cannot find " + hostPath);
    TrashPlace place;
    if (!chooseTrash(path, info.st_dev, place, reason))
        return fail(reason);
    // The trash itself, or a folder holding it, cannot go into the trash.
    if (place.folder == path || place.folder.rfind(path + "/", 0) == 0)
        return fail("the trash cannot hold itself");
    const std::string files = place.folder + "/files";
    const std::string infoFolder = place.folder + "/info";
    if (!makeFolders(files, 0700) || !makeFolders(infoFolder, 0700))
        return fail("cannot make the trash folder " + place.folder);

    // Reserve a name: the info file is created exclusively first, so two
    // deletions of equal names never meet in files/.
    const std::string name = hostBaseName(path);
    std::string chosen;
    int infoFd = -1;
    for (int attempt = 1; attempt < 10000 && infoFd < 0; ++attempt) {
        chosen = attempt == 1 ? name : name + "." + std::to_string(attempt);
        struct stat existing { };
        if (::lstat((files + "/" + chosen).c_str(), &existing) == 0)
            continue;
        infoFd = ::open((infoFolder + "/" + chosen + ".trashinfo").c_str(),
            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (infoFd < 0 && errno != EEXIST)
            return fail(std::string("cannot write the trash information: ") + std::strerror(errno));
    }
    if (infoFd < 0)
        return fail("no free name in the trash");
    const std::string infoPath = infoFolder + "/" + chosen + ".trashinfo";
    const std::string text
        = "[Trash Info]\nPath=" + encodeTrashPath(place.pathText) + "\nDeletionDate=" + deletionDate() + "\n";
    const bool written = writeAllToHost(infoFd, text.data(), text.size());
    if (::close(infoFd) != 0 || !written) {
        ::unlink(infoPath.c_str());
        return fail("cannot write the trash information");
    }
    if (::rename(path.c_str(), (files + "/" + chosen).c_str()) != 0) {
        const int code = errno;
        ::unlink(infoPath.c_str());
        return fail(std::string("cannot move into the trash: ") + std::strerror(code));
    }
    return true;
}

} // namespace ov
