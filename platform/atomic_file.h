// AtomicFile: the one way a file is written in place of another.
//
// The bytes go to a fresh temporary file beside the target (same folder, so
// the final rename never crosses a file system); commit() gives it its mode
// and times, optionally makes it durable, and renames it over the target.
// Until then the target is untouched, and a file that is never committed is
// removed (abandon(), or the destructor). Every temporary file has a name
// of the form ".ov-XXXXXX" in the target's folder.
//
// The target is named either by a host path or by a folder descriptor and a
// name in it. The folder is opened (or duplicated) once, at open(): the
// temporary file is created, and later renamed, relative to that folder, so
// a folder renamed or swapped for a link meanwhile does not move the write.
//
// The target's own rules are kept:
// - an existing target the user may not write is refused with EACCES, the
//   error an ordinary write would give, and stays as it was, unless the
//   caller has already decided to replace it (ExistingTarget::Replace: a
//   copy over a read-only file the user said yes to);
// - an existing target keeps its mode unless commit() is given a mode, and
//   its owner and group where the system allows (TargetOwner::Keep; when
//   they cannot be kept, a kept mode loses setuid and setgid); a new target
//   gets the mode an ordinary create gives (0666 less the umask); a caller
//   that sets the mode itself (TargetMode::Given) gets a file that stays
//   private (0600) until it does, and the old target's facts are not read
//   again at commit();
// - a target that is a symbolic link is replaced by the new file (the link
//   goes), unless the caller asks for LinkTarget::WriteThrough: then the file
//   the link names is replaced and the link stays;
// - a folder in the target's place is refused (EISDIR), never replaced; so
//   is any other file that is not a regular file (a FIFO, a device: EEXIST)
//   unless the caller asks for ExistingTarget::Replace, which replaces it
//   as it replaces a link.
//
// Failures come back as false with errno set (and error() holding it); the
// caller words the message.
#pragma once

#include "platform/unique_fd.h"

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace ov {

enum class Durability {
    Cached, // the rename is atomic; the data reaches the disk when the system writes it back
    Durable, // the file and the folder entry are synced before commit() returns
};

enum class LinkTarget {
    ReplaceLink, // a link in the target's place is replaced by the file
    WriteThrough, // the file the link names is replaced; the link stays
};

enum class TargetOwner {
    Keep, // a replaced file keeps its owner and group where the system allows
    Writer, // the new file belongs to whoever writes it (a copy sets its own)
};

enum class ExistingTarget {
    Refuse, // an existing target the user may not write is refused (EACCES)
    Replace, // the caller has decided to replace it: read-only targets included
};

enum class TargetMode {
    Kept, // commit() without a mode keeps the existing target's mode
    Given, // the caller sets the mode (through fd() or commit()); until then the file is 0600
};

enum class FolderHold {
    Duplicate, // openAt() duplicates the folder descriptor
    Borrow, // the caller keeps the folder descriptor open until commit() or abandon()
};

// How AtomicFile treats its target.
struct AtomicFileOptions {
    LinkTarget links = LinkTarget::ReplaceLink;
    TargetOwner owner = TargetOwner::Keep;
    ExistingTarget existing = ExistingTarget::Refuse;
    TargetMode mode = TargetMode::Kept;
    FolderHold folder = FolderHold::Duplicate;
};

// Access and modification times given to the committed file.
struct FileTimes {
    timespec access {};
    timespec modification {};
};

class AtomicFile {
public:
    using Options = AtomicFileOptions;

    AtomicFile() = default;
    // Abandons a file that was opened and not committed.
    ~AtomicFile();
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Checks the target and creates the temporary file beside it. false
    // with errno set when the target is refused or the file cannot be made;
    // nothing is left behind then. A file already open is abandoned first.
    bool open(const std::string& hostPath, Options options = {});
    // The same for the entry `name` (one path component) of the folder open
    // as folderFd; the descriptor is duplicated, the caller keeps its own
    // (FolderHold::Borrow: it is used as it is, and must stay open).
    bool openAt(int folderFd, const std::string& name, Options options = {});

    // Writes all of data: short writes are continued, interrupted ones
    // retried. false with errno set on the first failure; after one, every
    // later write and commit() fails with the same error.
    bool write(const void* data, std::size_t size);
    bool write(std::string_view data) { return write(data.data(), data.size()); }

    // Puts the file in place of the target: owner (existing target only,
    // where permitted, unless TargetOwner::Writer), mode (the given one,
    // else the existing target's unless TargetMode::Given, else the create
    // mode), times (when given), sync (Durable), close, rename. false with
    // errno set on any failure, after which the temporary file is gone and
    // the target is as it was.
    bool commit(const std::optional<FileTimes>& times = std::nullopt,
        std::optional<mode_t> mode = std::nullopt, Durability durability = Durability::Cached);

    // Removes the temporary file; the target stays as it was. Harmless when
    // nothing is open.
    void abandon();

    bool isOpen() const { return m_file.valid(); }
    // The temporary file's descriptor while open (for extended attributes,
    // preallocation); -1 otherwise. Do not close it.
    int fd() const { return m_file.get(); }
    // The errno of the last failure, 0 when there was none.
    int error() const { return m_error; }
    // The temporary file's name in the target's folder, while open.
    const std::string& temporaryName() const { return m_temporary; }
    // The existing target as open() found it (after any links written
    // through); nullptr when there was none or a link is being replaced.
    const struct stat* existingTarget() const { return m_targetExists ? &m_target : nullptr; }

private:
    bool fail(int error);

    // The folder in use: m_ownFolder's, or a borrowed one.
    int folder() const { return m_ownFolder ? m_ownFolder.get() : m_borrowedFolder; }

    UniqueFd m_ownFolder;
    int m_borrowedFolder = -1;
    UniqueFd m_file;
    std::string m_name;
    std::string m_temporary;
    TargetOwner m_owner = TargetOwner::Keep;
    TargetMode m_mode = TargetMode::Kept;
    bool m_targetExists = false;
    struct stat m_target { };
    int m_error = 0;
};

// A fresh name of the temporary files' form (".ov-" and six letters or
// digits), for anything else made beside a target and renamed over it.
std::string freshTemporaryName();

} // namespace ov
