// Copying, moving and deleting host files, and the "system function" file
// operation built on them.
//
// The block copy (BlockCopier) is the one way any code of the program copies
// the contents of a file: it reads until end of file, checks every write,
// compares the byte count with the size taken at open, and writes into a
// temporary name beside the target that is renamed over the target only when
// every byte arrived. A failed copy therefore leaves the source and any old
// target exactly as they were. Time stamps (to the nanosecond), permission
// bits and the stored DOS attributes travel with the contents.
//
// TFileOperation is the file operation the Recycle Bin option and the
// "System function copy" option stand for: copy, move or delete whole
// paths with the platform's rules (an existing folder as destination means
// "into it", anything else is the new name), a replace question through the
// prompt service, and progress per file. Deleting with AllowUndo moves to the
// freedesktop Trash and never falls back to a permanent delete.
//
// Nothing here follows a symbolic link: links are copied, moved and deleted
// as links. Only regular files are opened for reading.
#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ov {

enum class CopyStatus {
    Ok,
    SourceUnreadable, // missing, or cannot be opened
    NotRegular,       // a FIFO, socket, device or folder: never opened for reading
    SameFile,         // the target is the source itself (hard link, bind mount)
    TargetInTheWay,   // the target is a folder
    CreateFailed,     // the temporary target cannot be created
    ReadFailed,
    WriteFailed,      // short or failed write (disk full, file size limit)
    SizeChanged,      // the source changed size while it was read
    ReplaceFailed,    // the finished copy could not take the target's name
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

    BlockCopier();
    ~BlockCopier();
    BlockCopier(const BlockCopier&) = delete;
    BlockCopier& operator=(const BlockCopier&) = delete;

    // Copies the regular file from to the path to (both host paths). With
    // durable set the copy reaches the disk before the call returns, so a
    // source may be deleted afterwards without risk.
    CopyStatus copyFile(const std::string& from, const std::string& to, bool durable = false);

private:
    struct FreeBuffer {
        void operator()(char* buffer) const;
    };
    std::unique_ptr<char[], FreeBuffer> m_buffer;
};

// Recreates the symbolic link from as a link at to (replacing a file or link
// there, never a folder). False when the link cannot be read or made.
bool copySymLink(const std::string& from, const std::string& to);

// What a copied folder keeps of its source: mode, times and the stored DOS
// attribute. Read before the walk (moving the contents out changes the
// source's times), applied after it (writing the contents changes the
// target's).
struct FolderFacts {
    bool valid = false;
    uint32_t mode = 0;
    timespec accessed {};
    timespec written {};
    std::string dosAttribute; // the raw extended attribute, "" when none
};
FolderFacts readFolderFacts(const std::string& hostFolder);
void applyFolderFacts(const FolderFacts& facts, const std::string& hostFolder);

// The folder part and the last name of a host path ("/a/b" gives "/a" and
// "b"; "/a" gives "/" and "a").
std::string hostParentOf(const std::string& path);
std::string hostBaseName(const std::string& path);

// A device number as HostEntry::device holds it (major in the high half).
uint64_t deviceNumber(dev_t device);

// True when hostFolder is the folder (device, inode) or lies below it,
// judged by walking up from hostFolder through "..", so bind mounts and
// links in the path cannot hide it.
bool isSameOrBelow(const std::string& hostFolder, uint64_t device, uint64_t inode);

// Deletes a host path for good: a file or link is unlinked, a folder emptied
// and removed without following links or leaving its filesystem. False
// when anything stayed behind.
bool removeHostTree(const std::string& hostPath);

enum class FileOperationKind { Copy, Move, Delete };

// The "system function": one operation over whole paths (Windows-style, one
// path per element; a ";" inside a name is part of the name).
class TFileOperation {
public:
    FileOperationKind Operation = FileOperationKind::Copy;
    std::vector<std::string> Sources;
    std::string Destination;    // unused for Delete
    bool AllowUndo = true;      // Delete: to the Trash
    bool NoConfirmation = false; // replace without asking
    bool Silent = false;        // no error box at the end (tests, tools)

    // Progress per file: its Windows path, bytes done of it and its size.
    // A file being copied reports (path, 0, size) before its first byte and
    // then once per block; a path that is renamed or deleted whole reports
    // (path, 0, 0) once. The handler may call Cancel. Messages are let
    // through after each report (at most every 30 ms).
    std::function<void(const std::string& path, int64_t done, int64_t size)> OnProgress;

    // Stops a running Execute after the file in progress: nothing further
    // is started, what is done stays done, and AnyOperationsAborted is set.
    void Cancel();

    // Runs the operation. 0 when everything asked for was done; otherwise 1,
    // with the paths left behind in Failed and, unless Silent, one error box
    // naming them. AnyOperationsAborted is set when the user cancelled at a
    // replace question or through Cancel.
    int Execute();

    bool AnyOperationsAborted = false;
    std::vector<std::string> Failed;

private:
    enum class Replace { Ask, All };
    void report(const std::string& path, int64_t done, int64_t size);
    bool transfer(const std::string& from, const std::string& to, const std::string& shownFrom, bool move);
    bool transferFolder(const std::string& from, const std::string& to, const std::string& shownFrom, bool move);
    bool transferFile(const std::string& from, const std::string& to, const std::string& shownFrom, bool move);
    bool mayReplace(const std::string& shownTarget);

    BlockCopier m_copier;
    Replace m_replace = Replace::Ask;
    bool m_cancelled = false;
    bool m_declined = false; // the user kept a target ("No")
};

} // namespace ov
