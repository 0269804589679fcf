// The block copy and what travels with it; see block_copier.h.
#include "platform/block_copier.h"

#include "platform/atomic_file.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ov {

namespace {

// Data moves in large reads; progress is still reported per 32768 bytes.
constexpr std::size_t transferSize = 256 * 1024;

// Extended attributes a copy carries: the user's own, the trusted ones
// (root only), and the POSIX ACLs. Security labels stay behind.
bool travels(const std::string& name)
{
    return name.rfind("user.", 0) == 0 || name.rfind("trusted.", 0) == 0 || name == "system.posix_acl_access"
        || name == "system.posix_acl_default";
}

std::vector<std::pair<std::string, std::string>> readAttributes(int fd)
{
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string names(1024, '\0');
    ssize_t size;
    for (;;) {
        size = ::flistxattr(fd, names.data(), names.size());
        if (size >= 0 || errno != ERANGE)
            break;
        names.resize(names.size() * 4);
        if (names.size() > (1u << 20))
            return attributes;
    }
    if (size <= 0)
        return attributes;
    names.resize(static_cast<std::size_t>(size));
    for (std::size_t start = 0; start < names.size();) {
        const std::size_t end = names.find('\0', start);
        const std::string name
            = names.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? names.size() : end + 1;
        if (!travels(name))
            continue;
        std::string value(256, '\0');
        ssize_t length = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (length < 0 && errno == ERANGE) {
            length = ::fgetxattr(fd, name.c_str(), nullptr, 0);
            if (length > 0) {
                value.resize(static_cast<std::size_t>(length));
                length = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
            }
        }
        if (length < 0)
            continue;
        value.resize(static_cast<std::size_t>(length));
        attributes.emplace_back(name, std::move(value));
    }
    return attributes;
}

bool writeAttributes(int fd, const std::vector<std::pair<std::string, std::string>>& attributes)
{
    bool all = true;
    for (const auto& [name, value] : attributes)
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0)
            all = false;
    return all;
}

// Reads the link fromName in fromFolder.
bool readLinkAt(int folder, const std::string& name, std::string& target)
{
    target.assign(256, '\0');
    for (;;) {
        const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
        if (length < 0)
            return false;
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return true;
        }
        target.resize(target.size() * 2);
    }
}

} // namespace

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

bool copyExtendedAttributes(int from, int to)
{
    return writeAttributes(to, readAttributes(from));
}

void applyOwnerAndMode(int target, const struct stat& source, struct stat* made)
{
    struct stat now { };
    bool kept = ::fstat(target, &now) == 0 && now.st_uid == source.st_uid && now.st_gid == source.st_gid;
    if (!kept) {
        // Root keeps both; anyone else may still keep the group when a
        // member of it.
        if (::geteuid() == 0)
            (void)::fchown(target, source.st_uid, source.st_gid);
        else
            (void)::fchown(target, static_cast<uid_t>(-1), source.st_gid);
        kept = ::fstat(target, &now) == 0 && now.st_uid == source.st_uid && now.st_gid == source.st_gid;
    }
    mode_t mode = source.st_mode & 07777;
    if (!kept)
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    ::fchmod(target, mode);
    if (made)
        *made = now;
}

void BlockCopier::FreeBuffer::operator()(char* buffer) const
{
    std::free(buffer);
}

BlockCopier::BlockCopier() = default;
BlockCopier::~BlockCopier() = default;

CopyStatus BlockCopier::copyFile(const std::string& from, const std::string& to, bool durable)
{
    UniqueFd fromFolder(::open(hostParentOf(from).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fromFolder.get() < 0)
        return CopyStatus::SourceUnreadable;
    UniqueFd toFolder(::open(hostParentOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (toFolder.get() < 0)
        return CopyStatus::CreateFailed;
    return copyAt(fromFolder.get(), hostBaseName(from), toFolder.get(), hostBaseName(to), durable);
}

CopyStatus BlockCopier::copyAt(int fromFolder, const std::string& fromName, int toFolder,
    const std::string& toName, bool durable, struct stat* sourceFacts, struct stat* target)
{
    // Non-blocking open, so a FIFO swapped in after the listing cannot hang
    // us; only a regular file is read.
    UniqueFd in(
        ::openat(fromFolder, fromName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (in.get() < 0)
        return errno == ELOOP ? CopyStatus::NotRegular : CopyStatus::SourceUnreadable;
    struct stat source { };
    if (::fstat(in.get(), &source) != 0)
        return CopyStatus::SourceUnreadable;
    if (sourceFacts)
        *sourceFacts = source;
    if (!S_ISREG(source.st_mode))
        return CopyStatus::NotRegular;
    // Of the flags F_SETFL can change, only O_NONBLOCK was set.
    ::fcntl(in.get(), F_SETFL, 0);

    // The caller has settled whether an existing target is replaced (a
    // read-only one included); the copy sets owner, mode and times itself,
    // and the folder stays open for the whole call.
    AtomicFile out;
    if (!out.openAt(toFolder, toName,
            { LinkTarget::ReplaceLink, TargetOwner::Writer, ExistingTarget::Replace, TargetMode::Given,
                FolderHold::Borrow }))
        return errno == EISDIR ? CopyStatus::TargetInTheWay : CopyStatus::CreateFailed;
    if (const struct stat* old = out.existingTarget();
        old && old->st_dev == source.st_dev && old->st_ino == source.st_ino)
        return CopyStatus::SameFile;
    if (source.st_size > static_cast<off_t>(transferSize))
        ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // Page-aligned: the kernel's copies into and out of it run at full
    // speed only on aligned memory.
    if (!m_buffer)
        m_buffer.reset(static_cast<char*>(std::aligned_alloc(4096, transferSize)));
    if (!m_buffer)
        return CopyStatus::ReadFailed;
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
            return CopyStatus::ReadFailed;
        // Only an empty read is the end: a short read is not.
        if (got == 0)
            break;
        if (!out.write(m_buffer.get(), static_cast<std::size_t>(got)))
            return CopyStatus::WriteFailed;
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
        return CopyStatus::SizeChanged;

    // The facts that travel with the contents: attributes and ACLs, then
    // owner and mode (a change of owner clears setuid), times last, since
    // the others change the change time only. A file system that cannot
    // hold a mode or a time (FAT) still gets the data.
    if (!copyExtendedAttributes(in.get(), out.fd()))
        AttributesLost = true;
    applyOwnerAndMode(out.fd(), source, target);
    const timespec times[2] = { source.st_atim, source.st_mtim };
    ::futimens(out.fd(), times);
    if (!out.commit(std::nullopt, std::nullopt, durable ? Durability::Durable : Durability::Cached)) {
        // What is left after the data: the sync, the close and the rename.
        const int error = errno;
        return error == EIO || error == ENOSPC || error == EDQUOT || error == EFBIG
            ? CopyStatus::WriteFailed
            : CopyStatus::ReplaceFailed;
    }
    return CopyStatus::Ok;
}

bool copySymLinkAt(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName)
{
    std::string target;
    if (!readLinkAt(fromFolder, fromName, target))
        return false;
    struct stat source { };
    const bool haveFacts = ::fstatat(fromFolder, fromName.c_str(), &source, AT_SYMLINK_NOFOLLOW) == 0;
    struct stat old { };
    if (::fstatat(toFolder, toName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(old.st_mode))
        return false;
    // Made under a fresh name and renamed into place, like a file; the link
    // keeps its own times.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = freshTemporaryName();
        if (::symlinkat(target.c_str(), toFolder, temporary.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (haveFacts) {
            if (::geteuid() == 0)
                (void)::fchownat(
                    toFolder, temporary.c_str(), source.st_uid, source.st_gid, AT_SYMLINK_NOFOLLOW);
            const timespec times[2] = { source.st_atim, source.st_mtim };
            ::utimensat(toFolder, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
        if (::renameat(toFolder, temporary.c_str(), toFolder, toName.c_str()) != 0) {
            ::unlinkat(toFolder, temporary.c_str(), 0);
            return false;
        }
        return true;
    }
    return false;
}

bool copySymLink(const std::string& from, const std::string& to)
{
    const UniqueFd fromFolder(::open(hostParentOf(from).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const UniqueFd toFolder(::open(hostParentOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fromFolder && toFolder
        && copySymLinkAt(fromFolder.get(), hostBaseName(from), toFolder.get(), hostBaseName(to));
}

FolderFacts readFolderFacts(int folder)
{
    FolderFacts facts;
    if (::fstat(folder, &facts.info) != 0 || !S_ISDIR(facts.info.st_mode))
        return facts;
    facts.valid = true;
    facts.attributes = readAttributes(folder);
    return facts;
}

bool applyFolderFacts(const FolderFacts& facts, int folder)
{
    if (!facts.valid)
        return true;
    const bool all = writeAttributes(folder, facts.attributes);
    applyOwnerAndMode(folder, facts.info, nullptr);
    const timespec times[2] = { facts.info.st_atim, facts.info.st_mtim };
    ::futimens(folder, times);
    return all;
}

} // namespace ov
