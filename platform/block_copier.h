// The block copy: the one way any code of the program copies the contents
// of a file.
//
// It reads until end of file, checks every write, compares the byte count
// with the size taken at open, and writes through AtomicFile: a temporary
// file beside the target, renamed over it only when every byte arrived. A
// failed copy therefore leaves the source and any old target exactly as
// they were. Both ends are named relative to open folders (or as paths,
// which are opened first), so a folder swapped for a link meanwhile cannot
// send the copy elsewhere.
//
// What travels with the contents, as "cp -a" keeps it: the extended
// attributes (user.*, trusted.* where allowed, and the POSIX ACLs stored
// as system.posix_acl_access and system.posix_acl_default; not the
// security.* labels, which belong to the destination's policy), owner and
// group where the copier may set them (as root: always), the permission
// bits, and the times to the nanosecond. Setuid and setgid travel only
// when owner and group both did: a copy never carries a privilege to an
// owner who did not have it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace ov {

enum class CopyStatus {
    Ok,
    SourceUnreadable, // missing, or cannot be opened
    NotRegular, // a FIFO, socket, device or folder: never opened for reading
    SameFile, // the target is the source itself (hard link, bind mount)
    TargetInTheWay, // the target is a folder
    CreateFailed, // the temporary target cannot be created
    ReadFailed,
    WriteFailed, // short or failed write (disk full, file size limit)
    SizeChanged, // the source changed size while it was read
    ReplaceFailed, // the finished copy could not take the target's name
};

const char* copyStatusText(CopyStatus status);

class BlockCopier {
public:
    // Progress is reported per block of this many bytes.
    static constexpr int64_t BlockSize = 32768;

    // Called once the target can be written, before the first byte.
    std::function<void(int64_t size)> OnStart;
    // Called per block with the bytes done so far: 32768, 65536, ... and the
    // size at the end; an empty file reports (0, 0) once.
    std::function<void(int64_t done, int64_t size)> OnProgress;

    // Set (and left set) by a copy whose target could not hold every
    // extended attribute or ACL of its source; the data arrived anyway.
    bool AttributesLost = false;

    BlockCopier();
    ~BlockCopier();
    BlockCopier(const BlockCopier&) = delete;
    BlockCopier& operator=(const BlockCopier&) = delete;

    // Copies the regular file fromName in the open folder fromFolder to
    // toName in toFolder. With durable set the copy reaches the disk
    // before the call returns, so a source may be deleted afterwards
    // without risk. source, when given, receives the source's facts as
    // they were when the copy began; target, the finished copy's.
    CopyStatus copyAt(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName,
        bool durable, struct stat* source = nullptr, struct stat* target = nullptr);

    // The same between two host paths.
    CopyStatus copyFile(const std::string& from, const std::string& to, bool durable = false);

private:
    struct FreeBuffer {
        void operator()(char* buffer) const;
    };
    std::unique_ptr<char[], FreeBuffer> m_buffer;
};

// Recreates the symbolic link fromName (in fromFolder) as a link toName in
// toFolder, replacing a file or link there, never a folder; as root it
// keeps the link's owner. False when the link cannot be read or made.
bool copySymLinkAt(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName);
bool copySymLink(const std::string& from, const std::string& to);

// Copies the extended attributes of one open file to another. False when
// the target could not take them all.
bool copyExtendedAttributes(int from, int to);

// Gives the open target the owner, group and permission bits of source,
// following the rule above; made, when given, receives the target's facts.
void applyOwnerAndMode(int target, const struct stat& source, struct stat* made);

// What a copied folder keeps of its source. Read before the walk (moving
// the contents out changes the source's times), applied after it (writing
// the contents changes the target's).
struct FolderFacts {
    bool valid = false;
    struct stat info { };
    std::vector<std::pair<std::string, std::string>> attributes;
};
FolderFacts readFolderFacts(int folder);
// False when the target could not take every extended attribute.
bool applyFolderFacts(const FolderFacts& facts, int folder);

} // namespace ov
