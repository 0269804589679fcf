// The disk under a file list: a folder tree that can be listed and changed.
// Disks stack: an archive disk is pushed over the drive disk that holds the
// archive, and popped when the user leaves the archive's top folder.
#pragma once

#include "panel/entry.h"

#include <memory>
#include <string>
#include <vector>

namespace ov {

// What a disk is: a drive's folder tree, or an archive shown as folders.
enum class DiskKind : int {
    Standard = 0,
    Archive = 1,
};

class TDiskInterface {
public:
    virtual ~TDiskInterface() = default;

    // Lists Root + folder: the first entry, or false when the folder is
    // empty or cannot be listed. "." and ".." are never listed.
    virtual bool FindFirst(const std::string& folder, Entry& entry) = 0;
    // The next entry; false at the end (the search is then closed).
    virtual bool FindNext(Entry& entry) = 0;
    // Copies a file of this disk (inner path, relative to Root) to a full
    // outside path.
    virtual bool GetFile(const std::string& innerPath, const std::string& outsidePath) = 0;
    // Copies an outside file to an inner path of this disk.
    virtual bool PutFile(const std::string& outsidePath, const std::string& innerPath) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool MakeDir(const std::string& innerPath) = 0;
    virtual bool RemoveDir(const std::string& innerPath) = 0;

    // The bytes of a folder's files (links count nothing) and the names of
    // its sub-folders, for walks that need nothing else. False when the
    // folder cannot be listed. The default goes through FindFirst/FindNext.
    virtual bool ListSizes(const std::string& folder, int64_t& bytes, std::vector<std::string>& subFolders);

    // True when a recursive walk must not enter this folder (kernel file
    // systems such as /proc). Archive disks never refuse.
    virtual bool SkipInWalks(const std::string& folder)
    {
        (void)folder;
        return false;
    }

    std::string Root; // "c:\" for a drive; the archive's full path for an archive
    DiskKind Kind = DiskKind::Standard;
    std::unique_ptr<TDiskInterface> Below; // the disk under this one in the stack
    std::string SavedFolder; // the list's Folder while a disk is pushed over this one
};

// A drive or folder tree of the file system, reached through the drive table.
class TStandartDiskInterface : public TDiskInterface {
public:
    // root "c", "c:" or "c:\" all give Root "c:\".
    explicit TStandartDiskInterface(const std::string& root);

    bool FindFirst(const std::string& folder, Entry& entry) override;
    bool FindNext(Entry& entry) override;
    bool GetFile(const std::string& innerPath, const std::string& outsidePath) override;
    bool PutFile(const std::string& outsidePath, const std::string& innerPath) override;
    bool DeleteFile(const std::string& path) override;
    bool MakeDir(const std::string& innerPath) override;
    bool RemoveDir(const std::string& innerPath) override;
    bool SkipInWalks(const std::string& folder) override;
    bool ListSizes(const std::string& folder, int64_t& bytes, std::vector<std::string>& subFolders) override;

    // Host path of Root + inner path; empty when the drive is not mapped.
    std::string hostPath(const std::string& innerPath) const;

private:
    std::vector<HostEntry> m_found;
    std::size_t m_next = 0;
};

// Turns a host listing entry into a list entry (name split, local times).
void fillFromHost(const HostEntry& host, Entry& entry);

} // namespace ov
