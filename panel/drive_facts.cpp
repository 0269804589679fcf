#include "panel/drive_facts.h"

#include "platform/drives.h"

#include <condition_variable>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>

namespace ov {

namespace {

// Runs question on a helper thread and waits at most timeout for it; the
// fallback is returned when the answer is late. The thread owns its state,
// so a late answer is simply dropped.
template<typename T>
T askWithTimeout(std::function<T()> question, std::chrono::milliseconds timeout, T fallback)
{
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        bool ready = false;
        T answer {};
    };
    auto state = std::make_shared<State>();
    std::thread([state, question = std::move(question)] {
        T answer = question();
        std::lock_guard lock(state->mutex);
        state->answer = std::move(answer);
        state->ready = true;
        state->done.notify_all();
    }).detach();
    std::unique_lock lock(state->mutex);
    if (!state->done.wait_for(lock, timeout, [&] { return state->ready; }))
        return fallback;
    return state->answer;
}

std::string hostRootOf(char letter)
{
    const Drive* drive = DriveTable::instance().find(letter);
    return drive ? drive->hostRoot : std::string();
}

bool isRemote(char letter)
{
    return DriveTable::instance().typeOf(letter) == DriveType::Remote;
}

DiskSpace spaceOf(const std::string& hostRoot)
{
    DiskSpace space;
    struct statvfs info {};
    if (hostRoot.empty() || ::statvfs(hostRoot.c_str(), &info) != 0)
        return space;
    space.known = true;
    space.freeBytes = static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
    space.totalBytes = static_cast<int64_t>(info.f_blocks) * static_cast<int64_t>(info.f_frsize);
    return space;
}

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
        struct stat info {};
        if (::stat((std::string(folder) + "/" + name).c_str(), &info) == 0 && S_ISBLK(info.st_mode) && info.st_rdev == device) {
            found = unescapeUdev(name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

VolumeFacts factsOf(const std::string& hostRoot)
{
    VolumeFacts facts;
    struct stat root {};
    if (hostRoot.empty() || ::stat(hostRoot.c_str(), &root) != 0)
        return facts;
    facts.label = linkNameForDevice("/dev/disk/by-label", root.st_dev);
    facts.serial = serialFromUuid(linkNameForDevice("/dev/disk/by-uuid", root.st_dev));
    return facts;
}

} // namespace

bool driveReady(char letter)
{
    if (!isRemote(letter))
        return DriveTable::instance().isReady(letter);
    return askWithTimeout<bool>([letter] { return DriveTable::instance().isReady(letter); }, remoteDriveTimeout, false);
}

DiskSpace driveSpace(char letter)
{
    const std::string root = hostRootOf(letter);
    if (!isRemote(letter))
        return spaceOf(root);
    return askWithTimeout<DiskSpace>([root] { return spaceOf(root); }, remoteDriveTimeout, DiskSpace {});
}

VolumeFacts volumeFacts(char letter)
{
    const std::string root = hostRootOf(letter);
    if (!isRemote(letter))
        return factsOf(root);
    return askWithTimeout<VolumeFacts>([root] { return factsOf(root); }, remoteDriveTimeout, VolumeFacts {});
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

std::string VolumeLabel(char letter, const std::string& label)
{
    std::string text = label;
    const bool lower = letter >= 'a' && letter <= 'z';
    for (char& c : text) {
        if (lower && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (!lower && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (text.empty())
        text = "No-name";
    if (text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return "[" + text + "]";
}

std::string serialFromUuid(const std::string& uuid)
{
    std::string digits;
    for (char c : uuid) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
            digits += c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
        else if (c != '-')
            return std::string();
        if (digits.size() == 8)
            break;
    }
    if (digits.size() < 8)
        return std::string();
    return digits.substr(0, 4) + ":" + digits.substr(4, 4);
}

} // namespace ov
