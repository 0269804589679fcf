// TBrowser::FindFiles: the find walk.
//
// A folder's listing is searched in listing order, files and folders alike;
// then its sub-folders are walked, the most recently found first. On a drive
// the walk is the shared tree walk (platform/tree_walk.h), which reads names
// and kinds only and never follows a link: a link is a hit by its own name
// and never entered. Folders of kernel file systems (the disk's
// SkipInWalks) are not entered, nor is a folder that is one of its own
// ancestors (same device and inode: a bind mount of a folder inside
// itself), which would otherwise be walked without end. Hidden entries are
// found like any other. Other disks (archives) are walked through their
// FindFirst and FindNext.
#include "panel/browser.h"

#include "panel/mask.h"
#include "platform/drives.h"
#include "platform/tree_walk.h"

namespace ov {

namespace {

class FindVisitor final : public TreeVisitor {
public:
    FindVisitor(TBrowser& list, const std::string& masks)
        : m_list(list)
        , m_masks(masks)
        , m_rootLength(list.DiskRoot.size())
    {
    }

    // The next found() is for an entry of the start folder that was
    // reported already.
    bool reported = false;

    // The walk starts on a kernel file system (the user chose /proc): every
    // folder is asked, not only those where the file system changes.
    bool startSkipped = false;

    // Whether a folder found in folder may be entered. Whether it lies on a
    // kernel file system is asked only where the device changes: a folder
    // on its parent's file system shares its parent's answer.
    bool mayEnter(const WalkFolder& folder, const HostEntry& entry)
    {
        for (const WalkFolder* above = &folder; above; above = above->parent.get())
            if (above->facts.device == entry.device && above->facts.inode == entry.inode)
                return false;
        if (entry.device == folder.facts.device && !startSkipped)
            return true;
        return !(m_list.Disk
            && m_list.Disk->SkipInWalks(innerFolder(folder) + hostNameToInner(entry.name) + "\\"));
    }

    // Reports entry of folder when it matches.
    void report(const WalkFolder& folder, const HostEntry& entry)
    {
        const std::string name = hostNameToInner(entry.name);
        if (m_list.OnFindFile && MatchMask(name, m_masks))
            m_list.OnFindFile(m_list, innerFolder(folder), name);
    }

    void file(WalkFolder& folder, const HostEntry& entry, const std::string&) override
    {
        report(folder, entry);
    }

    bool found(WalkFolder& folder, const HostEntry& entry, const std::string&) override
    {
        if (reported) {
            reported = false;
            return true;
        }
        report(folder, entry);
        return mayEnter(folder, entry);
    }

    bool enter(WalkFolder& folder) override
    {
        if (m_list.OnFindFolder)
            m_list.OnFindFolder(m_list, innerFolder(folder));
        return true;
    }

    void leave(WalkFolder&) override { }
    // A folder that cannot be listed contributes nothing.
    void failed(const std::string&, const std::string&) override { }

    // The folder inside the disk, "" for its root, else ending in "\".
    std::string innerFolder(const WalkFolder& folder) const
    {
        return folder.shown.size() > m_rootLength ? folder.shown.substr(m_rootLength) + "\\" : std::string();
    }

private:
    TBrowser& m_list;
    const std::string& m_masks;
    const std::size_t m_rootLength;
};

} // namespace

std::string TBrowser::DriveRoot() const
{
    const TDiskInterface* bottom = Disk;
    while (bottom && bottom->Below)
        bottom = bottom->Below.get();
    return bottom ? bottom->Root : DiskRoot;
}

void TBrowser::FindFiles(const std::string& folder, const std::string& masks)
{
    if (Busy || m_walking || !Disk)
        return;
    Busy = true;
    m_walking = true;
    std::string start = folder;
    if (!start.empty() && start.back() != '\\')
        start += '\\';

    if (DiskKind == DiskKind::Standard) {
        FindVisitor visitor(*this, masks);
        // Shown paths are full paths: "c:" for the root, "c:\a\b" below it.
        std::string shown = DiskRoot + start;
        shown.pop_back();
        const auto host = DriveTable::instance().toHost(DiskRoot + start);
        const std::shared_ptr<WalkFolder> top = host ? TreeWalk::openStart(*host, shown) : nullptr;
        if (OnFindFolder)
            OnFindFolder(*this, start);
        std::vector<HostEntry> entries;
        visitor.startSkipped = Disk->SkipInWalks(start);
        if (top && listFolder(*host, entries, ListFacts::Names)) {
            std::vector<const HostEntry*> folders;
            for (const HostEntry& entry : entries) {
                if (!Busy)
                    break;
                visitor.report(*top, entry);
                if (walksInto(entry) && visitor.mayEnter(*top, entry))
                    folders.push_back(&entry);
            }
            TreeWalk walk(visitor, FileSystems::Cross, ListFacts::Names);
            walk.Stopped = [this] { return !Busy; };
            for (auto entry = folders.rbegin(); entry != folders.rend() && Busy; ++entry) {
                visitor.reported = true;
                walk.run(top, **entry, shownChild(shown, (*entry)->name));
            }
        }
    } else {
        // Depth first over an explicit stack, as the tree walk goes.
        std::vector<std::string> pending { start };
        while (!pending.empty() && Busy) {
            const std::string current = std::move(pending.back());
            pending.pop_back();
            if (OnFindFolder)
                OnFindFolder(*this, current);
            std::vector<std::string> found;
            Entry entry;
            for (bool more = Disk->FindFirst(current, entry); more && Busy; more = Disk->FindNext(entry)) {
                if (OnFindFile && MatchMask(entry.FullName, masks))
                    OnFindFile(*this, current, entry.FullName);
                if (entry.isFolder() && !Disk->SkipInWalks(current + entry.FullName + "\\"))
                    found.push_back(current + entry.FullName + "\\");
            }
            for (std::string& sub : found)
                pending.push_back(std::move(sub));
        }
    }
    Busy = false;
    m_walking = false;
}

} // namespace ov
