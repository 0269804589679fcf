// One depth-first walk over folder trees, for every copy, move, delete and
// measure of the program.
//
// A folder is listed (one folder ahead, on a worker thread), its entries are
// handed to a visitor in listing order, and only after the listing are its
// sub-folders walked, the most recently found first. The walk never follows
// a symbolic link: an entry that is a link (kind or attribute 0x400) is a
// leaf, whatever its folder bit says. Every folder is opened relative to
// its parent's open folder without following a link, and must be the
// folder (device and inode) the parent's listing saw; a folder swapped for
// a link or another folder meanwhile is not entered, and its branch ends
// with a reason. Visitors change the tree only relative to those open
// folders, so nothing outside the walked tree is touched even when the
// tree changes during the walk. Listings are read by path (the read-ahead
// needs one); a listing that no longer matches its open folder can only
// name entries that then fail their own checks.
//
// Open folders: one per level of the folder being walked (a folder stays
// open while folders below it wait), not one per waiting folder.
#pragma once

#include "platform/file_system.h"
#include "platform/unique_fd.h"

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ov {

// What a visitor keeps for one folder while it is walked (the copy's open
// target folder, say).
struct WalkState {
    virtual ~WalkState() = default;
};

// One open folder of a walk.
struct WalkFolder {
    std::shared_ptr<WalkFolder> parent; // none for the folder a walk starts in
    std::string name; // its name in parent
    std::string hostPath; // for listing and messages only
    std::string shown; // its path as the user sees it
    HostEntry facts; // as the parent's listing saw it
    UniqueFd fd; // open, read-only, not through a link
    std::unique_ptr<WalkState> state; // the visitor's own
};

class TreeVisitor {
public:
    virtual ~TreeVisitor() = default;
    // An entry the walk does not enter: a file, a link (also one to a
    // folder), a FIFO or device; `shown` is its path as the user sees it.
    virtual void file(WalkFolder& folder, const HostEntry& entry, const std::string& shown) = 0;
    // A folder found in folder's listing, before it is opened. False leaves
    // it out (moved whole, refused).
    virtual bool found(WalkFolder& folder, const HostEntry& entry, const std::string& shown)
    {
        (void)folder;
        (void)entry;
        (void)shown;
        return true;
    }
    // The folder is open (folder.fd). False skips its contents, and leave
    // is not called.
    virtual bool enter(WalkFolder& folder) = 0;
    // After its contents, also after a stop.
    virtual void leave(WalkFolder& folder) = 0;
    // The walk cannot go on at shown.
    virtual void failed(const std::string& shown, const std::string& reason) = 0;
};

// True for an entry a walk descends into: a folder that is no link.
bool walksInto(const HostEntry& entry);

enum class FileSystems { Cross, StayOnOne };

class TreeWalk {
public:
    TreeWalk(TreeVisitor& visitor, FileSystems fileSystems, ListFacts facts);
    ~TreeWalk();
    TreeWalk(const TreeWalk&) = delete;
    TreeWalk& operator=(const TreeWalk&) = delete;

    // Polled before every entry; true ends the walk (folders already
    // entered are still left).
    std::function<bool()> Stopped;

    // Opens the folder a walk starts in (links in its path are followed:
    // it is the folder the user chose). Null when it cannot be opened.
    static std::shared_ptr<WalkFolder> openStart(const std::string& hostFolder, const std::string& shown);

    // Walks entry (facts of a name in start) and everything below it.
    // With StayOnOne, no folder of another filesystem than start's is
    // entered, the entry itself included.
    void run(const std::shared_ptr<WalkFolder>& start, const HostEntry& entry, const std::string& shown);

private:
    struct Step;
    void walk(const std::shared_ptr<WalkFolder>& folder, std::vector<Step>& steps);
    bool stopped() const { return Stopped && Stopped(); }

    TreeVisitor& m_visitor;
    const FileSystems m_fileSystems;
    struct Ahead;
    std::unique_ptr<Ahead> m_ahead;
    uint64_t m_device = 0;
};

// Tests only: called after each folder's listing is taken and before its
// entries are visited or any sub-folder is entered, with the folder's host
// path and the listing (which the hook may change). Null removes it.
void setTreeWalkHook(
    std::function<void(const std::string& hostFolder, std::vector<HostEntry>& entries)> hook);

// The folder part and the last name of a host path ("/a/b" gives "/a" and
// "b"; "/a" gives "/" and "a").
std::string hostParentOf(const std::string& path);
std::string hostBaseName(const std::string& path);

// A device number as HostEntry::device holds it (major in the high half).
uint64_t deviceNumber(dev_t device);

// The name of an entry as the user sees it below shownFolder.
std::string shownChild(const std::string& shownFolder, const std::string& hostName);

} // namespace ov
