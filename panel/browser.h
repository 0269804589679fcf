// TBrowser: the file list of one panel.
//
// It holds the entries of one folder of the disk on top of its disk stack,
// numbered 1..Count with the synthetic parent entry ".." first unless the
// list is at a root, sorts them by precomputed keys, keeps the selection and
// its byte total, goes into folders, up to the parent and out of an archive,
// and runs the recursive folder walks. It needs no window.
//
// Sizes and totals are 64-bit. While a walk runs (Busy), operations that
// would re-read the list are refused, so a walk never writes into an entry
// of a list that changed under it.
#pragma once

#include "panel/disk_interface.h"
#include "panel/entry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

class CopyLedger;

enum SortMode : int {
    srNone = 0,
    srName = 1,
    srExt = 2,
    srSize = 3,
    srDate = 4, // creation time
    srAccessed = 5,
    srWritten = 6,
};

class TBrowser {
public:
    TBrowser();
    ~TBrowser();
    TBrowser(const TBrowser&) = delete;
    TBrowser& operator=(const TBrowser&) = delete;

    // The list's state, in the order the list has always kept it.
    std::vector<Entry> Entries; // Entries[i - 1] is entry i
    bool Busy = false;
    std::string Mask = "*.*";
    TDiskInterface* Disk = nullptr; // top of the disk stack, or none
    int CurIndex = 0;
    int SortMode = srName;
    bool ShowHidden = false;
    bool DirsFirst = true;
    bool ExecFirst = false;
    int Count = 0;
    int SelCount = 0;
    int64_t SelBytes = 0;
    std::string Folder; // relative to the disk root; "" at the root, else ending in "\"
    std::string DiskRoot; // "c:\" for a drive; the archive's full path for an archive
    ov::DiskKind DiskKind = ov::DiskKind::Standard;

    // Re-reads the current folder of the top disk. False (nothing changed)
    // while a walk runs; otherwise true, also for a folder that cannot be
    // listed, which gives just the parent entry (or nothing at a root).
    bool ReadDir();
    void OpenDisk(const std::string& root, ov::DiskKind kind, const std::string& folder);
    void PushDisk(const std::string& root, ov::DiskKind kind, const std::string& folder);
    bool PopDisk();
    bool EnterFolder(int index);
    bool GoUp();
    bool Refresh();
    // Takes over other's disks, folder and entries (a list read elsewhere,
    // on another thread, with this list's options); other is left with none.
    // The options and events of this list stay.
    void TakeListFrom(TBrowser& other);
    std::string NameAt(int index) const;
    // Copies entry index into entry; leaves it untouched out of range.
    void EntryAt(int index, Entry& entry) const;
    bool IsFolder(int index) const;
    bool IsSelected(int index) const;
    void ToggleSelect(int index);
    bool MeasureFolder(int index);
    int64_t SelectedSize();
    static bool MatchMask(std::string_view name, std::string_view masks);
    void FindNextMatch(const std::string& masks);
    void Stop();

    // The full path of the current folder: DiskRoot + Folder; inside an
    // archive the archive's path, "\" and the folder ("c:\x.zip\docs\"),
    // which no real file can be taken for.
    std::string CurrentFolder() const
    {
        return DiskKind == DiskKind::Archive ? DiskRoot + "\\" + Folder : DiskRoot + Folder;
    }
    // The full path of a folder of the top disk (inner path, "" or ending
    // in "\"), in the same form as CurrentFolder: what the find walk's hits
    // and folders are shown under.
    std::string FullFolder(const std::string& innerFolder) const
    {
        return DiskKind == DiskKind::Archive ? DiskRoot + "\\" + innerFolder : DiskRoot + innerFolder;
    }
    // The root of the drive at the bottom of the disk stack ("c:\"), the
    // drive an archive shown in this list lies on; DiskRoot without disks.
    std::string DriveRoot() const;
    // True when the list is at the top of the bottom-most disk.
    bool AtRoot() const;
    // Counts re-reads; a walk compares it to know its list is still the one it started on.
    uint64_t generation() const { return m_generation; }

    // Creates the disk for a push of kind 1 (an archive). The archive disk
    // installs itself here; without one, archives cannot be entered.
    using DiskFactory = std::function<std::unique_ptr<TDiskInterface>(const std::string& root)>;
    static void setArchiveDiskFactory(DiskFactory factory);
    // Entry index as a file on a drive, for viewers and programs: on a drive
    // its own path; a file in an archive is taken out first through the
    // hook the archive disk installs (empty when it cannot be). Folders and
    // ".." give their path in the list.
    std::string LocalPath(int index);
    using MemberTaker = std::function<std::string(TBrowser& list, int index)>;
    static void setMemberTaker(MemberTaker taker);

    // Builds the sort key of an entry read as number readingNumber.
    static std::string BuildSortKey(
        const Entry& entry, int sortMode, bool dirsFirst, bool execFirst, int readingNumber);

    // --- The copy, move and delete walks (browser_copy.cpp, browser_delete.cpp).
    // Events, sender first. Copy events carry full Windows-style paths;
    // OnDeleteFile carries the path inside the disk (Folder + name).
    std::function<void(TBrowser& sender, int64_t total)> OnCopyStart;
    std::function<void(TBrowser& sender, const std::string& source, const std::string& target, int64_t size)>
        OnFileStart;
    // Per 32768-byte block: bytes done of this file, its size.
    std::function<void(TBrowser& sender, int64_t done, int64_t size)> OnProgress;
    std::function<void(TBrowser& sender)> OnFileEnd;
    std::function<void(TBrowser& sender)> OnCopyEnd;
    std::function<void(TBrowser& sender)> OnDeleteStart;
    std::function<void(TBrowser& sender, const std::string& path)> OnDeleteFile;
    // kind 1 is a read-only entry; goAhead arrives false and the handler
    // may set it. Without a handler read-only entries stay.
    std::function<void(TBrowser& sender, int kind, const std::string& path, bool& goAhead)> OnConfirmReadOnly;
    std::function<void(TBrowser& sender)> OnDeleteEnd;
    // A target file the running operation made from `earlier` would be
    // replaced by `later`: replace arrives false (skip) and the handler
    // may set it. Without a handler `later` is refused and fails.
    std::function<void(TBrowser& sender, const std::string& target, const std::string& earlier,
        const std::string& later, bool& replace)>
        OnReplaceMade;
    // What one operation has made, shared by every list it copies from
    // (a command line naming sources in several folders); null: each
    // CopyTo is an operation of its own.
    std::shared_ptr<CopyLedger> Ledger;

    // Copies (move off) or moves (move on) the selected entries, or the
    // current one without a selection, into destination's folder under
    // their own names; each selected entry is unselected as it is done.
    // True when every entry arrived; false when any failed (the walk still
    // does everything it can) or when either list shows an archive (nothing
    // is then touched). A stop is not a failure. While a walk runs on this
    // list the call does nothing and returns true.
    bool CopyTo(TBrowser& destination, bool move);
    // Deletes the selected entries, or the current one, recursively; never
    // follows a link and never enters another filesystem. False when
    // anything the user did not choose to keep was left behind.
    bool DeleteSelected();
    // What the last copy, move or delete walk could not do, one line each
    // ("c:\a\b.txt: reason").
    std::vector<std::string> WalkFailures;
    // What the last walk has to say although it did its work, once each
    // (a destination that cannot keep extended attributes).
    std::vector<std::string> WalkNotices;
    // Lets pending messages through, at most once every 30 ms: the walks
    // call it per block and per entry, so progress never slows the copy.
    static void pumpMessages();

    // --- The find walk (browser_find.cpp). Searches folder (inside the top
    // disk, "" for its root) and everything below it for names matching
    // masks, folders included; raises OnFindFolder (folder, ending in "\")
    // per folder and OnFindFile (folder, name) per hit, in walk order. Does
    // nothing while Busy; Stop ends it and keeps what was found.
    std::function<void(TBrowser& sender, const std::string& folder)> OnFindFolder;
    std::function<void(TBrowser& sender, const std::string& folder, const std::string& name)> OnFindFile;
    void FindFiles(const std::string& folder, const std::string& masks);

    // Recursive byte total of a folder of this list's top disk (inner path
    // ending in "\" or empty). Lets messages through after each sub-folder;
    // stops early when Stop is called.
    int64_t FolderSize(const std::string& folder);

private:
    std::unique_ptr<TDiskInterface> m_top; // owns the whole stack through Below
    uint64_t m_generation = 0;
    bool m_stopRequested = false;
    // Shared by the copy and delete walks: the entries a walk works on (the
    // selection in list order, else the current entry unless it is ".."),
    // and unselecting one of them when the list is still the one the walk
    // started on.
    std::vector<int> walkIndexes() const;
    void unselectWalked(int index, uint64_t generation);
    // Set for the whole of a copy or delete walk, also after Stop cleared
    // Busy: a second walk never starts inside the first one.
    bool m_walking = false;
};

} // namespace ov
