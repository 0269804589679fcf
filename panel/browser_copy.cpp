// TBrowser::CopyTo: the copy and move walk.
//
// Each entry is copied in list order; a folder is made on the destination,
// then walked: its listing is taken, its files copied in listing order and
// its sub-folders made and remembered, and only after the listing are the
// remembered sub-folders walked, the most recently found first. A move
// deletes each source file once its copy arrived completely (written to
// disk first), and each source folder once it is empty. Within one
// filesystem a move renames instead, raising the same per-entry events.
//
// What is refused, each as a failed entry that leaves both sides untouched:
// a target that is the source itself (same device and inode: the same
// folder in both panels, a hard link, a bind mount), a folder into itself
// or below it, FIFOs, sockets and devices. Links are copied as links and
// never followed. Archives on either side take part in nothing.
#include "panel/browser.h"

#include "platform/drives.h"
#include "platform/file_operation.h"
#include "platform/listing_ahead.h"
#include "platform/process_messages.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

// One file, link or folder to copy, by host path and by the path shown.
struct CopyItem {
    std::string hostFrom;
    std::string hostTo;
    std::string shownFrom;
    std::string shownTo;
    HostEntry facts;
};

class CopyWalk {
public:
    CopyWalk(TBrowser& source, bool move) : m_source(source), m_move(move)
    {
        m_copier.OnStart = [this](int64_t size) {
            if (m_source.OnFileStart)
                m_source.OnFileStart(m_source, m_current->shownFrom, m_current->shownTo, size);
        };
        m_copier.OnProgress = [this](int64_t done, int64_t size) {
            if (m_source.OnProgress)
                m_source.OnProgress(m_source, done, size);
            TBrowser::pumpMessages();
        };
    }

    // Copies one entry of the list with everything below it.
    void copyEntry(CopyItem item)
    {
        m_crossDevice = false;
        if (item.facts.kind != HostKind::Directory) {
            copyLeaf(item);
            return;
        }
        if (isSameOrBelow(hostParentOf(item.hostTo), item.facts.device, item.facts.inode)) {
            fail(item, "a folder cannot go into itself");
            return;
        }
        if (m_move && renamed(item))
            return;
        bool created = false;
        if (!makeFolder(item, created))
            return;
        FolderFacts facts = readFolderFacts(item.hostFrom);
        m_tasks.push_back({ item, Task::Finish, created, std::move(facts) });
        m_tasks.push_back({ std::move(item), Task::Walk, created, {} });
        runTasks();
    }

    void fail(const CopyItem& item, const std::string& reason)
    {
        m_source.WalkFailures.push_back(item.shownFrom + ": " + reason);
    }

private:
    struct Task {
        CopyItem item;
        enum Kind { Walk, Finish } kind;
        bool created;
        FolderFacts facts;
    };

    bool stopped() const { return !m_source.Busy; }

    // The per-entry events of an entry that moved whole by a rename.
    void announceWhole(const CopyItem& item)
    {
        const int64_t size = item.facts.size;
        if (m_source.OnFileStart)
            m_source.OnFileStart(m_source, item.shownFrom, item.shownTo, size);
        if (m_source.OnProgress)
            m_source.OnProgress(m_source, size, size);
        if (m_source.OnFileEnd)
            m_source.OnFileEnd(m_source);
        TBrowser::pumpMessages();
    }

    // A move within one filesystem: one rename, when nothing of that name is
    // in the way (an empty folder of that name is replaced). False when the
    // entry must be copied instead.
    bool renamed(const CopyItem& item)
    {
        if (m_crossDevice)
            return false;
        struct stat target {};
        if (::lstat(item.hostTo.c_str(), &target) == 0) {
            if (deviceNumber(target.st_dev) == item.facts.device && target.st_ino == item.facts.inode)
                return false;
            const bool bothFolders = S_ISDIR(target.st_mode) && item.facts.kind == HostKind::Directory;
            const bool neitherFolder = !S_ISDIR(target.st_mode) && item.facts.kind != HostKind::Directory;
            if (!bothFolders && !neitherFolder)
                return false;
        }
        if (::rename(item.hostFrom.c_str(), item.hostTo.c_str()) != 0) {
            // Below a source on another filesystem nothing renames either.
            m_crossDevice = errno == EXDEV;
            return false;
        }
        announceWhole(item);
        return true;
    }

    bool makeFolder(const CopyItem& item, bool& created)
    {
        if (::mkdir(item.hostTo.c_str(), 0700) == 0) {
            created = true;
            return true;
        }
        struct stat target {};
        if (errno == EEXIST && ::lstat(item.hostTo.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
            if (deviceNumber(target.st_dev) == item.facts.device && target.st_ino == item.facts.inode) {
                fail(item, "the target is the source itself");
                return false;
            }
            created = false;
            return true;
        }
        fail(item, "the folder cannot be made on the destination");
        return false;
    }

    // A file, a link or anything else that is not a folder.
    void copyLeaf(const CopyItem& item)
    {
        // The block copy makes this check itself, on the file it opened.
        struct stat target {};
        if (item.facts.kind != HostKind::Regular && ::lstat(item.hostTo.c_str(), &target) == 0
            && deviceNumber(target.st_dev) == item.facts.device && target.st_ino == item.facts.inode) {
            fail(item, "the target is the source itself");
            return;
        }
        if (item.facts.kind == HostKind::Other) {
            fail(item, "not a regular file");
            return;
        }
        if (m_move && renamed(item))
            return;
        if (item.facts.kind == HostKind::SymLink) {
            if (!copySymLink(item.hostFrom, item.hostTo)) {
                fail(item, "the link cannot be made on the destination");
                return;
            }
            announceWhole(item);
        } else {
            m_current = &item;
            const CopyStatus status = m_copier.copyFile(item.hostFrom, item.hostTo, m_move);
            m_current = nullptr;
            if (status != CopyStatus::Ok) {
                fail(item, copyStatusText(status));
                return;
            }
            if (m_source.OnFileEnd)
                m_source.OnFileEnd(m_source);
        }
        if (m_move && ::unlink(item.hostFrom.c_str()) != 0)
            fail(item, "copied, but the source cannot be deleted");
        TBrowser::pumpMessages();
    }

    // Lists one folder: files are copied at once, sub-folders made and
    // queued so that the last one found is walked first.
    void walk(const CopyItem& folder)
    {
        std::vector<HostEntry> entries;
        if (!m_ahead.take(folder.hostFrom, entries)) {
            fail(folder, "the folder cannot be listed");
            return;
        }
        readNextAhead(folder, entries);
        std::vector<Task> found;
        for (HostEntry& entry : entries) {
            if (stopped())
                break;
            const std::string inner = hostNameToInner(entry.name);
            CopyItem child { folder.hostFrom + "/" + entry.name, folder.hostTo + "/" + entry.name, folder.shownFrom + "\\" + inner,
                folder.shownTo + "\\" + inner, std::move(entry) };
            if (child.facts.kind != HostKind::Directory) {
                copyLeaf(child);
                continue;
            }
            if (m_move && renamed(child))
                continue;
            bool created = false;
            if (!makeFolder(child, created))
                continue;
            FolderFacts facts = readFolderFacts(child.hostFrom);
            found.push_back({ std::move(child), Task::Walk, created, std::move(facts) });
        }
        for (Task& task : found) {
            Task finish = task;
            finish.kind = Task::Finish;
            m_tasks.push_back(std::move(finish));
            task.facts = {};
            m_tasks.push_back(std::move(task));
        }
    }

    // Starts reading the folder walked after this one: its last sub-folder
    // (walked first), else the next folder waiting on the stack.
    void readNextAhead(const CopyItem& folder, const std::vector<HostEntry>& entries)
    {
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (entry->kind == HostKind::Directory) {
                m_ahead.request(folder.hostFrom + "/" + entry->name);
                return;
            }
        }
        for (auto task = m_tasks.rbegin(); task != m_tasks.rend(); ++task) {
            if (task->kind == Task::Walk) {
                m_ahead.request(task->item.hostFrom);
                return;
            }
        }
    }

    // After a folder's walk: it takes its source's facts, and a moved
    // source folder goes once it is empty.
    void finish(const Task& task)
    {
        if (task.created)
            applyFolderFacts(task.facts, task.item.hostTo);
        if (m_move && ::rmdir(task.item.hostFrom.c_str()) != 0 && !stopped())
            fail(task.item, "the source folder is not empty");
    }

    void runTasks()
    {
        while (!m_tasks.empty()) {
            Task task = std::move(m_tasks.back());
            m_tasks.pop_back();
            if (task.kind == Task::Finish) {
                finish(task);
                continue;
            }
            if (stopped())
                continue;
            walk(task.item);
            TBrowser::pumpMessages();
        }
    }

    TBrowser& m_source;
    bool m_move;
    BlockCopier m_copier;
    const CopyItem* m_current = nullptr;
    std::vector<Task> m_tasks;
    ListingAhead m_ahead { ListFacts::Basic };
    bool m_crossDevice = false; // a rename was refused for crossing filesystems
};

uint64_t deviceOf(const std::string& hostPath)
{
    struct stat info {};
    return ::stat(hostPath.c_str(), &info) == 0 ? deviceNumber(info.st_dev) : ~uint64_t(0);
}

} // namespace

std::vector<int> TBrowser::walkIndexes() const
{
    std::vector<int> indexes;
    if (SelCount > 0) {
        for (int i = 1; i <= Count; ++i)
            if (Entries[static_cast<std::size_t>(i - 1)].Selected && !Entries[static_cast<std::size_t>(i - 1)].IsParent)
                indexes.push_back(i);
    } else if (CurIndex >= 1 && CurIndex <= Count && !Entries[static_cast<std::size_t>(CurIndex - 1)].IsParent) {
        indexes.push_back(CurIndex);
    }
    return indexes;
}

void TBrowser::unselectWalked(int index, uint64_t generation)
{
    if (generation == m_generation && IsSelected(index))
        ToggleSelect(index);
}

void TBrowser::pumpMessages()
{
    letMessagesThrough();
}

bool TBrowser::CopyTo(TBrowser& destination, bool move)
{
    if (Busy || m_walking)
        return true;
    WalkFailures.clear();
    // Nothing goes into or out of an archive through the disks.
    if (DiskKind != 0 || destination.DiskKind != 0 || !Disk || !destination.Disk) {
        WalkFailures.push_back("archives are not copied into or out of through this command");
        return false;
    }
    const DriveTable& drives = DriveTable::instance();
    const auto sourceFolder = drives.toHost(DiskRoot + Folder);
    const auto targetFolder = drives.toHost(destination.DiskRoot + destination.Folder);
    const std::string shownTarget = destination.DiskRoot + destination.Folder;
    const std::vector<int> indexes = walkIndexes();

    // The total for the progress bar. A move within one filesystem renames
    // and needs no measured folders.
    int64_t total = 0;
    if (move && sourceFolder && targetFolder && deviceOf(*sourceFolder) == deviceOf(*targetFolder)) {
        for (int index : indexes)
            total += Entries[static_cast<std::size_t>(index - 1)].Size;
    } else {
        total = SelectedSize();
    }

    Busy = true;
    m_walking = true;
    const uint64_t generation = m_generation;
    if (OnCopyStart)
        OnCopyStart(*this, total);
    CopyWalk walk(*this, move);
    std::vector<std::string> names;
    for (int index : indexes)
        names.push_back(Entries[static_cast<std::size_t>(index - 1)].FullName);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (Busy) {
            const std::string& name = names[i];
            CopyItem item;
            item.shownFrom = DiskRoot + Folder + name;
            item.shownTo = shownTarget + name;
            if (!sourceFolder || !targetFolder) {
                walk.fail(item, "the drive is not ready");
            } else {
                item.hostFrom = *sourceFolder + "/" + innerNameToHost(name);
                item.hostTo = *targetFolder + "/" + innerNameToHost(name);
                if (!statPath(item.hostFrom, item.facts))
                    walk.fail(item, "the source is gone");
                else
                    walk.copyEntry(std::move(item));
            }
        }
        unselectWalked(indexes[i], generation);
    }
    if (OnCopyEnd)
        OnCopyEnd(*this);
    Busy = false;
    m_walking = false;
    return WalkFailures.empty();
}

} // namespace ov
