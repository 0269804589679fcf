// Host listings and file facts; see file_system.h.
#include "platform/file_system.h"

#include "platform/unique_fd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <thread>
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

constexpr unsigned statxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_INO | STATX_ATIME | STATX_MTIME
    | STATX_CTIME | STATX_BTIME;

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

namespace {

std::mutex hookMutex;
std::function<void(const std::string&)> listingHook;

thread_local OfferedListing* offered = nullptr;

std::string withoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool listFolderNow(const std::string& hostFolder, std::vector<HostEntry>& entries, ListFacts facts)
{
    entries.clear();
    {
        std::function<void(const std::string&)> hook;
        {
            const std::lock_guard<std::mutex> lock(hookMutex);
            hook = listingHook;
        }
        if (hook)
            hook(hostFolder);
    }
    const int dirFd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return false;
    DIR* dir = ::fdopendir(::dup(dirFd));
    if (!dir) {
        ::close(dirFd);
        return false;
    }
    std::vector<std::string> names;
    // The kind each name has in the folder's own record (DT_UNKNOWN where
    // the file system keeps none); only a names-only listing uses it.
    std::vector<std::pair<std::string, unsigned char>> typed;
    while (dirent* item = ::readdir(dir)) {
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (facts == ListFacts::Names)
            typed.emplace_back(name, item->d_type);
        else
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::vector<unsigned char> types;
    if (facts == ListFacts::Names) {
        std::sort(typed.begin(), typed.end());
        names.reserve(typed.size());
        types.reserve(typed.size());
        for (auto& [name, type] : typed) {
            names.push_back(std::move(name));
            types.push_back(type);
        }
    } else {
        std::sort(names.begin(), names.end());
    }

    const std::string prefix = hostFolder == "/" ? "/" : hostFolder + "/";
    std::vector<HostEntry> found(names.size());
    std::vector<char> present(names.size(), 0);
    // The facts of each name: statx, then the stored attribute.
    const unsigned mask
        = facts == ListFacts::All ? statxMask : STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_INO;
    const auto statRange = [&](std::size_t begin, std::size_t end) {
        bool xattrSupported = facts == ListFacts::All;
        for (std::size_t i = begin; i < end; ++i) {
            if (facts == ListFacts::Names && types[i] != DT_DIR && types[i] != DT_UNKNOWN) {
                HostEntry& entry = found[i];
                entry.name = std::move(names[i]);
                if (types[i] == DT_REG) {
                    entry.kind = HostKind::Regular;
                } else if (types[i] == DT_LNK) {
                    entry.kind = HostKind::SymLink;
                    entry.attr = faSymLink;
                } else {
                    entry.kind = HostKind::Other;
                }
                if (entry.name[0] == '.')
                    entry.attr |= faHidden;
                present[i] = 1;
                continue;
            }
            struct statx info { };
            if (::statx(dirFd, names[i].c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &info) != 0)
                continue;
            HostEntry& entry = found[i];
            entry.name = std::move(names[i]);
            fillEntry(info, entry);
            if (entry.kind != HostKind::SymLink) {
                entry.attr |= readStored(prefix + entry.name, xattrSupported);
            } else if (facts == ListFacts::All) {
                // A link to a folder lists as a folder the user can enter
                // (its kind stays SymLink: no walk descends through it). A
                // dangling link, or one to a file, stays a file.
                struct statx target { };
                if (::statx(dirFd, entry.name.c_str(), AT_NO_AUTOMOUNT, STATX_TYPE, &target) == 0
                    && S_ISDIR(target.stx_mode))
                    entry.attr |= faDirectory;
            }
            present[i] = 1;
        }
    };
    // A large folder is read by several threads: the time goes into one
    // system call after another, each waiting on the file system.
    const std::size_t threads
        = names.size() >= 8192 ? std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4) : 1;
    if (threads == 1) {
        statRange(0, names.size());
    } else {
        std::vector<std::thread> workers;
        const std::size_t share = (names.size() + threads - 1) / threads;
        for (std::size_t t = 1; t < threads; ++t)
            workers.emplace_back(
                statRange, std::min(names.size(), t * share), std::min(names.size(), (t + 1) * share));
        statRange(0, std::min(names.size(), share));
        for (std::thread& worker : workers)
            worker.join();
    }
    entries.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i)
        if (present[i])
            entries.push_back(std::move(found[i]));
    ::close(dirFd);
    return true;
}

// While a SharedListings lives, one listing is in flight per folder:
// callers that ask for the same folder while it is being read wait for it
// and take a copy (both panels on one folder at start-up read it once).
// Outside it every call reads for itself, so a caller always sees what it
// changed itself before the call.
std::atomic<int> sharing { 0 };

struct Flight {
    std::condition_variable done;
    bool finished = false;
    bool listed = false;
    std::vector<HostEntry> entries;
};

std::mutex flightsMutex;
std::map<std::pair<std::string, ListFacts>, std::shared_ptr<Flight>> flights;

} // namespace

OfferedListing::OfferedListing(
    const std::string& hostFolder, ListFacts facts, bool listed, std::vector<HostEntry> entries)
    : m_folder(withoutSlash(hostFolder))
    , m_facts(facts)
    , m_listed(listed)
    , m_entries(std::move(entries))
    , m_previous(offered)
{
    offered = this;
}

OfferedListing::~OfferedListing()
{
    offered = m_previous;
}

bool OfferedListing::take(
    const std::string& hostFolder, ListFacts facts, bool& listed, std::vector<HostEntry>& entries)
{
    OfferedListing* offer = offered;
    if (!offer || offer->m_taken || offer->m_facts != facts || offer->m_folder != withoutSlash(hostFolder))
        return false;
    offer->m_taken = true;
    listed = offer->m_listed;
    entries = std::move(offer->m_entries);
    return true;
}

void setListingHook(std::function<void(const std::string& hostFolder)> hook)
{
    const std::lock_guard<std::mutex> lock(hookMutex);
    listingHook = std::move(hook);
}

SharedListings::SharedListings()
{
    ++sharing;
}
SharedListings::~SharedListings()
{
    --sharing;
}

bool listFolder(const std::string& hostFolder, std::vector<HostEntry>& entries, ListFacts facts)
{
    if (bool listed = false; OfferedListing::take(hostFolder, facts, listed, entries))
        return listed;
    if (sharing.load() == 0)
        return listFolderNow(hostFolder, entries, facts);
    const auto key = std::make_pair(hostFolder, facts);
    std::unique_lock<std::mutex> lock(flightsMutex);
    if (const auto found = flights.find(key); found != flights.end()) {
        const std::shared_ptr<Flight> flight = found->second;
        flight->done.wait(lock, [&flight] { return flight->finished; });
        entries = flight->entries;
        return flight->listed;
    }
    const auto flight = std::make_shared<Flight>();
    flights.emplace(key, flight);
    lock.unlock();
    const bool listed = listFolderNow(hostFolder, entries, facts);
    lock.lock();
    flights.erase(key);
    // Someone waits only when the flight is shared: copy for them then.
    if (flight.use_count() > 1)
        flight->entries = entries;
    flight->listed = listed;
    flight->finished = true;
    flight->done.notify_all();
    return listed;
}

bool statPath(const std::string& hostPath, HostEntry& entry)
{
    struct statx info { };
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
    // The zone's offset is looked up once per quarter hour of UTC time (zone
    // changes fall on quarter hours) and kept in a small cache; the calendar
    // fields then follow by arithmetic. Whole folders convert thousands of
    // times that lie close together.
    struct Slot {
        int64_t bucket = INT64_MIN;
        long offset = 0;
    };
    thread_local Slot cache[64];
    const int64_t seconds = time.tv_sec;
    const int64_t bucket = seconds >= 0 ? seconds / 900 : (seconds - 899) / 900;
    Slot& slot = cache[static_cast<uint64_t>(bucket) % 64];
    long offset = slot.offset;
    if (slot.bucket != bucket) {
        struct tm first {
        }, last {};
        const time_t start = static_cast<time_t>(bucket * 900);
        const time_t end = start + 899;
        if (!::localtime_r(&start, &first) || !::localtime_r(&end, &last))
            return TSystemTime();
        if (first.tm_gmtoff == last.tm_gmtoff) {
            slot.bucket = bucket;
            slot.offset = first.tm_gmtoff;
            offset = first.tm_gmtoff;
        } else {
            // A zone change inside this quarter hour (old local mean times
            // changed at odd seconds): ask for this very second.
            struct tm exact { };
            const time_t at = static_cast<time_t>(seconds);
            if (!::localtime_r(&at, &exact))
                return TSystemTime();
            offset = exact.tm_gmtoff;
        }
    }
    const int64_t local = seconds + offset;
    int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const int64_t secondsOfDay = local - days * 86400;
    TSystemTime result;
    // Days since 1970-01-01 to a civil date (the proleptic Gregorian calendar).
    const int64_t weekday = (days % 7 + 11) % 7; // 1970-01-01 was a Thursday
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    result.wYear = static_cast<uint16_t>(std::clamp<int64_t>(year, 0, 65535));
    result.wMonth = static_cast<uint16_t>(month);
    result.wDayOfWeek = static_cast<uint16_t>(weekday);
    result.wDay = static_cast<uint16_t>(day);
    result.wHour = static_cast<uint16_t>(secondsOfDay / 3600);
    result.wMinute = static_cast<uint16_t>(secondsOfDay / 60 % 60);
    result.wSecond = static_cast<uint16_t>(secondsOfDay % 60);
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

bool setAttributes(const std::string& hostPath, uint16_t attr)
{
    struct stat info { };
    if (::lstat(hostPath.c_str(), &info) != 0)
        return false;
    const auto slash = hostPath.find_last_of('/');
    const bool dotName = hostPath.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0;
    constexpr uint16_t keptInStore = faHidden | faSysFile | faArchive;

    // The stored word: the three bits from attr, the hidden bit of a dot-name
    // as it was (the name hides it anyway). A stored read-only bit is dropped,
    // since the mode now carries it.
    unsigned char value[128];
    const ssize_t n = ::lgetxattr(hostPath.c_str(), dosAttributeName, value, sizeof value);
    const uint16_t oldStored = n < 0 ? 0 : parseDosAttributeValue(value, static_cast<std::size_t>(n));
    uint16_t newStored = attr & keptInStore;
    if (dotName)
        newStored = static_cast<uint16_t>((newStored & ~faHidden) | (oldStored & faHidden));
    if (newStored != oldStored && !writeStoredDosAttributes(hostPath, newStored))
        return false;

    if (!S_ISREG(info.st_mode))
        return true;
    mode_t mode = info.st_mode & 07777;
    if (attr & faReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode == (info.st_mode & 07777))
        return true;
    return ::chmod(hostPath.c_str(), mode) == 0;
}

bool setWrittenTime(const std::string& hostPath, const timespec& written)
{
    timespec times[2] {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = written;
    return ::utimensat(AT_FDCWD, hostPath.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

timespec fromLocalTime(const TSystemTime& local)
{
    struct tm parts { };
    parts.tm_year = local.wYear - 1900;
    parts.tm_mon = local.wMonth - 1;
    parts.tm_mday = local.wDay;
    parts.tm_hour = local.wHour;
    parts.tm_min = local.wMinute;
    parts.tm_sec = local.wSecond;
    parts.tm_isdst = -1;
    timespec result {};
    result.tv_sec = std::mktime(&parts);
    result.tv_nsec = static_cast<long>(local.wMilliseconds) * 1000000;
    return result;
}

bool createEmptyFile(const std::string& hostPath)
{
    UniqueFd fd(::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return fd && fd.close();
}

bool isPseudoFileSystem(const std::string& hostPath)
{
    struct statfs info { };
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
    case TMPFS_MAGIC: {
        // devtmpfs reports the tmpfs magic; it is the file system of /dev
        // itself. A tmpfs mounted below it (/dev/shm) is an ordinary one.
        struct stat path {
        }, dev {};
        return ::stat(hostPath.c_str(), &path) == 0 && ::stat("/dev", &dev) == 0 && path.st_dev == dev.st_dev;
    }
    default:
        return false;
    }
}

} // namespace ov
