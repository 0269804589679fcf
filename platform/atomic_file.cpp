// AtomicFile; see atomic_file.h for the rules.
#include "platform/atomic_file.h"

#include "platform/host_file.h"

#include <fcntl.h>
#include <random>
#include <sys/stat.h>

namespace ov {

namespace {

// How many links WriteThrough follows before it gives up, as the kernel does.
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;

bool isPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

std::string freshTemporaryName()
{
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand generator { std::random_device {}() };
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string name = ".ov-";
    for (int i = 0; i < 6; ++i)
        name += letters[pick(generator)];
    return name;
}

namespace {

// Splits a path into its folder part and its last component; the folder
// part is empty when there is no slash.
void splitPath(const std::string& path, std::string& folder, std::string& name)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        folder.clear();
        name = path;
        return;
    }
    folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    name = path.substr(slash + 1);
}

// Opens folder (relative to base unless absolute) as a path descriptor.
UniqueFd openFolder(int base, const std::string& folder)
{
    return UniqueFd(::openat(base, folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

AtomicFile::~AtomicFile()
{
    abandon();
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
{
    *this = std::move(other);
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept
{
    if (this == &other)
        return *this;
    abandon();
    m_ownFolder = std::move(other.m_ownFolder);
    m_borrowedFolder = std::exchange(other.m_borrowedFolder, -1);
    m_file = std::move(other.m_file);
    m_name = std::move(other.m_name);
    m_temporary = std::exchange(other.m_temporary, std::string());
    m_owner = other.m_owner;
    m_mode = other.m_mode;
    m_targetExists = other.m_targetExists;
    m_target = other.m_target;
    m_error = other.m_error;
    return *this;
}

bool AtomicFile::fail(int error)
{
    m_error = error;
    abandon();
    errno = error;
    return false;
}

bool AtomicFile::open(const std::string& hostPath, Options options)
{
    abandon();
    m_error = 0;
    std::string folder;
    std::string name;
    splitPath(hostPath, folder, name);
    if (name.empty() || name == "." || name == "..")
        return fail(hostPath.empty() ? ENOENT : EISDIR);
    UniqueFd folderFd = openFolder(AT_FDCWD, folder);
    if (!folderFd)
        return fail(errno);
    return openAt(folderFd.get(), name, options);
}

bool AtomicFile::openAt(int folderFd, const std::string& name, Options options)
{
    abandon();
    m_error = 0;
    if (!isPlainName(name))
        return fail(EINVAL);
    if (options.folder == FolderHold::Borrow) {
        if (folderFd < 0)
            return fail(EBADF);
        m_borrowedFolder = folderFd;
    } else {
        m_ownFolder.reset(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
        if (!m_ownFolder)
            return fail(errno);
    }
    m_name = name;
    m_owner = options.owner;
    m_mode = options.mode;

    // Follow the links where asked: each one names a folder (relative to
    // the link's own folder) and a last component.
    struct stat& target = m_target;
    target = {};
    bool exists = false;
    for (int links = 0;; ++links) {
        if (::fstatat(folder(), m_name.c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return fail(errno);
            break;
        }
        exists = true;
        if (!S_ISLNK(target.st_mode) || options.links == LinkTarget::ReplaceLink)
            break;
        if (links == kMaxLinks)
            return fail(ELOOP);
        std::string text(256, '\0');
        for (;;) {
            const ssize_t length = ::readlinkat(folder(), m_name.c_str(), text.data(), text.size());
            if (length < 0)
                return fail(errno);
            if (static_cast<std::size_t>(length) < text.size()) {
                text.resize(static_cast<std::size_t>(length));
                break;
            }
            text.resize(text.size() * 2);
        }
        std::string linkFolder;
        std::string linkName;
        splitPath(text, linkFolder, linkName);
        if (!isPlainName(linkName))
            return fail(EISDIR);
        UniqueFd next = openFolder(folder(), linkFolder);
        if (!next)
            return fail(errno);
        m_ownFolder = std::move(next);
        m_name = linkName;
        exists = false;
    }

    // A link being replaced is not the target's file: the new file is made
    // as a new one.
    m_targetExists = exists && !S_ISLNK(target.st_mode);
    if (m_targetExists) {
        if (S_ISDIR(target.st_mode))
            return fail(EISDIR);
        // A FIFO or device goes only where the caller has decided so, like
        // a link, and the new file is made as a new one.
        if (!S_ISREG(target.st_mode) && options.existing == ExistingTarget::Refuse)
            return fail(EEXIST);
        m_targetExists = S_ISREG(target.st_mode);
    }
    if (m_targetExists) {
        // Write permission on the file itself, for the effective user, as an
        // ordinary open for writing would check it.
        if (options.existing == ExistingTarget::Refuse
            && ::faccessat(folder(), m_name.c_str(), W_OK, AT_EACCESS) != 0)
            return fail(errno);
    }

    // A replacement stays private until commit() gives it the target's mode,
    // and so does a file whose mode the caller sets; a new file gets the
    // create mode from the kernel (the umask applied).
    const mode_t createMode = m_targetExists || m_mode == TargetMode::Given ? 0600 : 0666;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temporary = freshTemporaryName();
        const int fd = ::openat(
            folder(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
        if (fd >= 0) {
            m_file.reset(fd);
            m_temporary = std::move(temporary);
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool AtomicFile::write(const void* data, std::size_t size)
{
    if (!m_file)
        return fail(m_error ? m_error : EBADF);
    // A short write that makes no progress reads as ENOSPC.
    if (!writeAllToHost(m_file.get(), data, size))
        return fail(errno);
    return true;
}

bool AtomicFile::commit(
    const std::optional<FileTimes>& times, std::optional<mode_t> mode, Durability durability)
{
    if (!m_file)
        return fail(m_error ? m_error : EBADF);

    // The owner first: a change of owner clears setuid and setgid. A kept
    // mode whose owner and group the new file does not have loses them.
    // Neither is needed when the new file's owner and mode are the caller's.
    const bool keepMode = !mode && m_targetExists && m_mode == TargetMode::Kept;
    bool ownerKept = true;
    if (m_targetExists && (m_owner == TargetOwner::Keep || keepMode)) {
        struct stat made { };
        if (::fstat(m_file.get(), &made) != 0)
            return fail(errno);
        const bool differs = made.st_uid != m_target.st_uid || made.st_gid != m_target.st_gid;
        ownerKept = !differs
            || (m_owner == TargetOwner::Keep
                && ::fchown(m_file.get(), m_target.st_uid, m_target.st_gid) == 0);
    }
    std::optional<mode_t> finalMode = mode;
    const mode_t targetMode = m_target.st_mode & 07777;
    if (keepMode)
        finalMode = ownerKept ? targetMode : targetMode & ~static_cast<mode_t>(S_ISUID | S_ISGID);
    if (finalMode && ::fchmod(m_file.get(), *finalMode & 07777) != 0)
        return fail(errno);
    if (times) {
        const timespec both[2] = { times->access, times->modification };
        if (::futimens(m_file.get(), both) != 0)
            return fail(errno);
    }
    if (durability == Durability::Durable && ::fsync(m_file.get()) != 0)
        return fail(errno);
    if (!m_file.close())
        return fail(errno);
    if (::renameat(folder(), m_temporary.c_str(), folder(), m_name.c_str()) != 0)
        return fail(errno);
    m_temporary.clear();

    // The folder entry of the rename; a folder that cannot be synced (some
    // network file systems) leaves the file in place all the same. A folder
    // held for its path only (O_PATH) is opened to be synced.
    if (durability == Durability::Durable && ::fsync(folder()) != 0 && errno == EBADF) {
        UniqueFd synced(::openat(folder(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (synced)
            ::fsync(synced.get());
    }
    m_ownFolder.reset();
    m_borrowedFolder = -1;
    return true;
}

void AtomicFile::abandon()
{
    const int saved = errno;
    m_file.reset();
    if (!m_temporary.empty() && folder() >= 0)
        ::unlinkat(folder(), m_temporary.c_str(), 0);
    m_temporary.clear();
    m_ownFolder.reset();
    m_borrowedFolder = -1;
    errno = saved;
}

} // namespace ov
