// Block copy, link copy, folder facts and the "system function" file
// operation; see file_operation.h.
#include "platform/file_operation.h"

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/process_messages.h"
#include "platform/trash.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ov {

namespace {

constexpr const char* dosAttributeName = "user.DOSATTRIB";
// Data moves in large reads; progress is still reported per 32768 bytes.
constexpr std::size_t transferSize = 256 * 1024;

class FdGuard {
public:
    explicit FdGuard(int fd) : m_fd(fd) {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the result (a late write error shows here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Makes the directory entry of a renamed file durable.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A fresh name beside path for a file being made ("<folder>/.ov-XXXXXX"):
// short, so a long target name never makes it too long.
std::string temporaryBeside(const std::string& path)
{
    return hostParentOf(path) + "/.ov-XXXXXX";
}

} // namespace

std::string hostParentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string hostBaseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* copyStatusText(CopyStatus status)
{
    switch (status) {
    case CopyStatus::Ok:
        return "copied";
    case CopyStatus::SourceUnreadable:
        return "the source cannot be opened";
    case CopyStatus::NotRegular:
        return "not a regular file";
    case CopyStatus::SameFile:
        return "the target is the source itself";
    case CopyStatus::TargetInTheWay:
        return "a folder of that name is in the way";
    case CopyStatus::CreateFailed:
        return "the target cannot be created";
    case CopyStatus::ReadFailed:
        return "read error";
    case CopyStatus::WriteFailed:
        return "write error (disk full?)";
    case CopyStatus::SizeChanged:
        return "the source changed while it was copied";
    case CopyStatus::ReplaceFailed:
        return "the copy could not replace the target";
    }
    return "unknown";
}

void BlockCopier::FreeBuffer::operator()(char* buffer) const { std::free(buffer); }

BlockCopier::BlockCopier() = default;
BlockCopier::~BlockCopier() = default;

CopyStatus BlockCopier::copyFile(const std::string& from, const std::string& to, bool durable)
{
    // Non-blocking open, so a FIFO swapped in after the listing cannot hang
    // us; only a regular file is read.
    FdGuard in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (in.get() < 0)
        return errno == ELOOP ? CopyStatus::NotRegular : CopyStatus::SourceUnreadable;
    struct stat source {};
    if (::fstat(in.get(), &source) != 0)
        return CopyStatus::SourceUnreadable;
    if (!S_ISREG(source.st_mode))
        return CopyStatus::NotRegular;
    // Of the flags F_SETFL can change, only O_NONBLOCK was set.
    ::fcntl(in.get(), F_SETFL, 0);

    struct stat old {};
    if (::lstat(to.c_str(), &old) == 0) {
        if (old.st_dev == source.st_dev && old.st_ino == source.st_ino)
            return CopyStatus::SameFile;
        if (S_ISDIR(old.st_mode))
            return CopyStatus::TargetInTheWay;
    }

    std::string temporary = temporaryBeside(to);
    FdGuard out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0)
        return CopyStatus::CreateFailed;
    const auto abandon = [&](CopyStatus status) {
        out.close();
        ::unlink(temporary.c_str());
        return status;
    };
    if (source.st_size > static_cast<off_t>(transferSize))
        ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // Page-aligned: the kernel's copies into and out of it run at full
    // speed only on aligned memory.
    if (!m_buffer)
        m_buffer.reset(static_cast<char*>(std::aligned_alloc(4096, transferSize)));
    if (!m_buffer)
        return abandon(CopyStatus::ReadFailed);
    const int64_t size = source.st_size;
    if (OnStart)
        OnStart(size);
    int64_t done = 0;
    int64_t reported = 0;
    for (;;) {
        const ssize_t got = ::read(in.get(), m_buffer.get(), transferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return abandon(CopyStatus::ReadFailed);
        // Only an empty read is the end: a short read is not.
        if (got == 0)
            break;
        if (!writeAll(out.get(), m_buffer.get(), static_cast<std::size_t>(got)))
            return abandon(CopyStatus::WriteFailed);
        done += got;
        if (OnProgress) {
            while (reported + BlockSize <= done) {
                reported += BlockSize;
                OnProgress(reported, size);
            }
        }
    }
    if (OnProgress && (reported < done || done == 0))
        OnProgress(done, size);
    if (done != size)
        return abandon(CopyStatus::SizeChanged);

    // The facts that travel with the contents; times last, since the others
    // change the change time only.
    char attribute[256];
    const ssize_t attributeSize = ::fgetxattr(in.get(), dosAttributeName, attribute, sizeof attribute);
    if (attributeSize > 0)
        ::fsetxattr(out.get(), dosAttributeName, attribute, static_cast<std::size_t>(attributeSize), 0);
    ::fchmod(out.get(), source.st_mode & 07777);
    const timespec times[2] = { source.st_atim, source.st_mtim };
    ::futimens(out.get(), times);
    if (durable && ::fsync(out.get()) != 0)
        return abandon(CopyStatus::WriteFailed);
    if (!out.close()) {
        ::unlink(temporary.c_str());
        return CopyStatus::WriteFailed;
    }
    if (::rename(temporary.c_str(), to.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return CopyStatus::ReplaceFailed;
    }
    if (durable)
        syncFolder(hostParentOf(to));
    return CopyStatus::Ok;
}

bool copySymLink(const std::string& from, const std::string& to)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
        if (length < 0)
            return false;
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    struct stat source {};
    const bool haveTimes = ::lstat(from.c_str(), &source) == 0;
    struct stat old {};
    if (::lstat(to.c_str(), &old) == 0 && S_ISDIR(old.st_mode))
        return false;
    // Made under a fresh name and renamed into place, like a file; the link
    // keeps its own times.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = temporaryBeside(to);
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0)
            return false;
        ::close(fd);
        ::unlink(temporary.c_str());
        if (::symlink(target.c_str(), temporary.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (haveTimes) {
            const timespec times[2] = { source.st_atim, source.st_mtim };
            ::utimensat(AT_FDCWD, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
        if (::rename(temporary.c_str(), to.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;
    }
    return false;
}

FolderFacts readFolderFacts(const std::string& hostFolder)
{
    FolderFacts facts;
    struct stat info {};
    if (::lstat(hostFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return facts;
    facts.valid = true;
    facts.mode = info.st_mode & 07777;
    facts.accessed = info.st_atim;
    facts.written = info.st_mtim;
    char attribute[256];
    const ssize_t size = ::lgetxattr(hostFolder.c_str(), dosAttributeName, attribute, sizeof attribute);
    if (size > 0)
        facts.dosAttribute.assign(attribute, static_cast<std::size_t>(size));
    return facts;
}

void applyFolderFacts(const FolderFacts& facts, const std::string& hostFolder)
{
    if (!facts.valid)
        return;
    if (!facts.dosAttribute.empty())
        ::lsetxattr(hostFolder.c_str(), dosAttributeName, facts.dosAttribute.data(), facts.dosAttribute.size(), 0);
    ::chmod(hostFolder.c_str(), facts.mode);
    const timespec times[2] = { facts.accessed, facts.written };
    ::utimensat(AT_FDCWD, hostFolder.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

uint64_t deviceNumber(dev_t device)
{
    return (static_cast<uint64_t>(major(device)) << 32) | minor(device);
}

bool isSameOrBelow(const std::string& hostFolder, uint64_t device, uint64_t inode)
{
    int fd = ::open(hostFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool found = false;
    // Bounded: a path has at most PATH_MAX / 2 components.
    for (int depth = 0; depth < 4096; ++depth) {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            break;
        if (deviceNumber(info.st_dev) == device && static_cast<uint64_t>(info.st_ino) == inode) {
            found = true;
            break;
        }
        const int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0)
            break;
        struct stat parentInfo {};
        const bool atTop = ::fstat(parent, &parentInfo) != 0 || (parentInfo.st_dev == info.st_dev && parentInfo.st_ino == info.st_ino);
        ::close(fd);
        fd = parent;
        if (atTop)
            break;
    }
    ::close(fd);
    return found;
}

bool removeHostTree(const std::string& hostPath)
{
    struct stat top {};
    if (::lstat(hostPath.c_str(), &top) != 0)
        return false;
    if (!S_ISDIR(top.st_mode))
        return ::unlink(hostPath.c_str()) == 0;
    // Depth first over an explicit stack; a folder is removed after its
    // contents (the marker entry), and no folder of another filesystem is
    // entered.
    struct Item {
        std::string path;
        bool contentsDone;
    };
    std::vector<Item> pending { { hostPath, false } };
    bool complete = true;
    while (!pending.empty()) {
        Item item = std::move(pending.back());
        pending.pop_back();
        if (item.contentsDone) {
            if (::rmdir(item.path.c_str()) != 0)
                complete = false;
            continue;
        }
        pending.push_back({ item.path, true });
        std::vector<HostEntry> entries;
        if (!listFolder(item.path, entries)) {
            complete = false;
            continue;
        }
        for (const HostEntry& entry : entries) {
            const std::string path = item.path + "/" + entry.name;
            if (entry.kind == HostKind::Directory) {
                if (entry.device != deviceNumber(top.st_dev)) {
                    complete = false;
                    continue;
                }
                pending.push_back({ path, false });
            } else if (::unlink(path.c_str()) != 0) {
                complete = false;
            }
        }
    }
    return complete;
}

// --- the "system function" ---------------------------------------------------

void TFileOperation::report(const std::string& path, int64_t done, int64_t size)
{
    if (OnProgress)
        OnProgress(path, done, size);
    letMessagesThrough();
}

int TFileOperation::Execute()
{
    Failed.clear();
    AnyOperationsAborted = false;
    m_cancelled = false;
    m_declined = false;
    m_replace = NoConfirmation ? Replace::All : Replace::Ask;
    const DriveTable& drives = DriveTable::instance();
    std::vector<std::string> reasons;

    if (Operation == FileOperationKind::Delete) {
        for (const std::string& source : Sources) {
            if (m_cancelled)
                break;
            report(source, 0, 0);
            const auto host = drives.toHost(source);
            std::string error;
            bool done = false;
            if (!host)
                error = "no such drive";
            else if (AllowUndo)
                done = moveToTrash(*host, &error);
            else
                done = removeHostTree(*host);
            if (!done) {
                Failed.push_back(source);
                reasons.push_back(source + (error.empty() ? std::string() : ": " + error));
            }
        }
    } else {
        const bool move = Operation == FileOperationKind::Move;
        const auto destination = drives.toHost(Destination);
        struct stat info {};
        // A typed destination that names an existing folder (or a link to
        // one) means "into it"; anything else is the new name.
        const bool intoFolder = destination && ::stat(destination->c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        const bool oneName = Sources.size() == 1 || intoFolder;
        for (const std::string& source : Sources) {
            if (m_cancelled)
                break;
            const auto host = drives.toHost(source);
            bool done = false;
            if (host && destination && oneName) {
                const std::string target = intoFolder ? *destination + "/" + hostBaseName(*host) : *destination;
                done = transfer(*host, target, source, move);
            }
            if (!done && !m_cancelled) {
                Failed.push_back(source);
                reasons.push_back(source);
            }
        }
    }
    if (!reasons.empty() && !Silent) {
        std::string text = Operation == FileOperationKind::Delete && AllowUndo ? "These could not be moved to the Trash and were left in place:" : "These could not be processed:";
        for (std::size_t i = 0; i < reasons.size() && i < 10; ++i)
            text += "\n" + reasons[i];
        if (reasons.size() > 10)
            text += "\n... (" + std::to_string(reasons.size() - 10) + " more)";
        messageBox(text, "Error", Buttons::Ok, Icon::Error);
    }
    return Failed.empty() && !AnyOperationsAborted ? 0 : 1;
}

void TFileOperation::Cancel()
{
    m_cancelled = true;
    AnyOperationsAborted = true;
}

bool TFileOperation::mayReplace(const std::string& shownTarget)
{
    if (m_replace == Replace::All)
        return true;
    const Answer answer = prompts().ask({ "The file " + shownTarget + " already exists.\nDo you want to replace it?", "Confirm File Replace",
        Buttons::YesYesToAllNoCancel, Icon::Question });
    switch (answer) {
    case Answer::Yes:
        return true;
    case Answer::YesToAll:
        m_replace = Replace::All;
        return true;
    case Answer::No:
        return false;
    default:
        m_cancelled = true;
        AnyOperationsAborted = true;
        return false;
    }
}

bool TFileOperation::transfer(const std::string& from, const std::string& to, const std::string& shownFrom, bool move)
{
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0)
        return false;
    struct stat target {};
    const bool targetExists = ::lstat(to.c_str(), &target) == 0;
    if (targetExists && target.st_dev == source.st_dev && target.st_ino == source.st_ino)
        return false;
    if (S_ISDIR(source.st_mode) && isSameOrBelow(hostParentOf(to), deviceNumber(source.st_dev), source.st_ino))
        return false;
    if (move) {
        // Within one filesystem a move is a rename: nothing is copied. An
        // existing target file is replaced only after the question.
        const bool plainRename = !targetExists || (!S_ISDIR(source.st_mode) && !S_ISDIR(target.st_mode));
        if (plainRename && targetExists && !mayReplace(to)) {
            m_declined = !m_cancelled;
            return !m_cancelled;
        }
        if (plainRename && ::rename(from.c_str(), to.c_str()) == 0) {
            report(shownFrom, 0, 0);
            return true;
        }
        if (plainRename && errno != EXDEV)
            return false;
    }
    if (S_ISDIR(source.st_mode))
        return transferFolder(from, to, shownFrom, move);
    return transferFile(from, to, shownFrom, move);
}

bool TFileOperation::transferFolder(const std::string& from, const std::string& to, const std::string& shownFrom, bool move)
{
    struct stat target {};
    bool created = false;
    if (::lstat(to.c_str(), &target) == 0) {
        if (!S_ISDIR(target.st_mode))
            return false;
    } else if (::mkdir(to.c_str(), 0700) == 0) {
        created = true;
    } else {
        return false;
    }
    const FolderFacts facts = readFolderFacts(from);
    std::vector<HostEntry> entries;
    if (!listFolder(from, entries))
        return false;
    bool complete = true;
    for (const HostEntry& entry : entries) {
        if (m_cancelled)
            return false;
        const std::string shown = shownFrom + "\\" + hostNameToInner(entry.name);
        const std::string childFrom = from + "/" + entry.name;
        const std::string childTo = to + "/" + entry.name;
        bool done;
        if (entry.kind == HostKind::Directory)
            done = transferFolder(childFrom, childTo, shown, move);
        else
            done = transferFile(childFrom, childTo, shown, move);
        if (!done) {
            complete = false;
            if (!m_cancelled)
                Failed.push_back(shown);
        }
    }
    if (created)
        applyFolderFacts(facts, to);
    // A folder that still holds what the user chose to keep stays too.
    if (move && complete && ::rmdir(from.c_str()) != 0 && !m_declined)
        return false;
    return complete;
}

bool TFileOperation::transferFile(const std::string& from, const std::string& to, const std::string& shownFrom, bool move)
{
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0)
        return false;
    struct stat target {};
    if (::lstat(to.c_str(), &target) == 0) {
        if (S_ISDIR(target.st_mode) || (target.st_dev == source.st_dev && target.st_ino == source.st_ino))
            return false;
        if (!mayReplace(to)) {
            // "No" keeps both files; it is the user's choice, not a failure.
            m_declined = !m_cancelled;
            return !m_cancelled;
        }
    }
    if (S_ISLNK(source.st_mode)) {
        if (!copySymLink(from, to))
            return false;
        return !move || ::unlink(from.c_str()) == 0;
    }
    m_copier.OnStart = [&](int64_t size) { report(shownFrom, 0, size); };
    m_copier.OnProgress = [&](int64_t done, int64_t size) { report(shownFrom, done, size); };
    if (m_copier.copyFile(from, to, move) != CopyStatus::Ok)
        return false;
    return !move || ::unlink(from.c_str()) == 0;
}

} // namespace ov
