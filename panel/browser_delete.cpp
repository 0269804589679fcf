// TBrowser::DeleteSelected: the delete walk.
//
// Each entry is unselected, then deleted: a file or link at once (a link is
// removed, never what it points to), a folder by its walk: its listing is
// taken, its files deleted in listing order and its sub-folders remembered,
// then the remembered sub-folders are walked, the most recently found first,
// and the folder itself is removed at the end. A read-only entry goes only
// when OnConfirmReadOnly says so. No walk enters a folder of another
// filesystem (a mount point below the deleted folder stays, and so does
// everything above it).
#include "panel/browser.h"

#include "platform/drives.h"
#include "platform/file_operation.h"
#include "platform/listing_ahead.h"

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

class DeleteWalk {
public:
    explicit DeleteWalk(TBrowser& list) : m_list(list) {}

    // Deletes one entry of the list (host path, path inside the disk).
    void deleteEntry(const std::string& host, const std::string& inner, const HostEntry& facts, uint64_t parentDevice)
    {
        const bool goAhead = mayDelete(facts, inner);
        if (facts.kind != HostKind::Directory) {
            if (goAhead)
                deleteLeaf(AT_FDCWD, host, inner);
            return;
        }
        if (facts.device != parentDevice) {
            fail(inner, "another filesystem is mounted here");
            return;
        }
        m_device = facts.device;
        m_tasks.push_back({ host, inner, goAhead, Task::Walk });
        run();
    }

    void fail(const std::string& inner, const std::string& reason)
    {
        m_list.WalkFailures.push_back(m_list.DiskRoot + inner + ": " + reason);
    }

private:
    struct Task {
        std::string host;
        std::string inner;
        bool removeItself;
        enum Kind { Walk, Finish } kind;
    };

    bool stopped() const { return !m_list.Busy; }

    bool mayDelete(const HostEntry& facts, const std::string& inner)
    {
        if (!(facts.attr & faReadOnly))
            return true;
        bool goAhead = false;
        if (m_list.OnConfirmReadOnly)
            m_list.OnConfirmReadOnly(m_list, 1, inner, goAhead);
        if (!goAhead)
            m_declined = true;
        return goAhead;
    }

    // Removes a file or link: `name` relative to the open folder `folderFd`
    // (or a whole path with AT_FDCWD).
    void deleteLeaf(int folderFd, const std::string& name, const std::string& inner)
    {
        if (m_list.OnDeleteFile)
            m_list.OnDeleteFile(m_list, inner);
        if (::unlinkat(folderFd, name.c_str(), 0) != 0)
            fail(inner, "cannot be deleted");
        TBrowser::pumpMessages();
    }

    void walk(const Task& folder)
    {
        // Files go by name relative to the folder itself, opened without
        // following a link: no path is looked up again per file, and a
        // folder swapped for a link meanwhile is not walked.
        const int folderFd = ::open(folder.host.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const std::unique_ptr<const int, void (*)(const int*)> closer(&folderFd, [](const int* fd) {
            if (*fd >= 0)
                ::close(*fd);
        });
        std::vector<HostEntry> entries;
        if (folderFd < 0 || !m_ahead.take(folder.host, entries)) {
            fail(folder.inner, "the folder cannot be listed");
            return;
        }
        readNextAhead(folder, entries);
        std::vector<Task> found;
        std::vector<const HostEntry*> foundFacts;
        for (const HostEntry& entry : entries) {
            if (stopped())
                return;
            const std::string inner = folder.inner + "\\" + hostNameToInner(entry.name);
            if (entry.kind == HostKind::Directory) {
                if (entry.device != m_device)
                    fail(inner, "another filesystem is mounted here");
                else {
                    found.push_back({ folder.host + "/" + entry.name, inner, false, Task::Walk });
                    foundFacts.push_back(&entry);
                }
                continue;
            }
            if (mayDelete(entry, inner))
                deleteLeaf(folderFd, entry.name, inner);
        }
        // Each sub-folder's go-ahead comes from its own read-only attribute,
        // as the listing read it.
        for (std::size_t i = 0; i < found.size(); ++i) {
            found[i].removeItself = mayDelete(*foundFacts[i], found[i].inner);
            m_tasks.push_back(std::move(found[i]));
        }
    }

    // Starts reading the folder walked after this one: its last sub-folder
    // (walked first), else the next folder waiting on the stack.
    void readNextAhead(const Task& folder, const std::vector<HostEntry>& entries)
    {
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (entry->kind == HostKind::Directory && entry->device == m_device) {
                m_ahead.request(folder.host + "/" + entry->name);
                return;
            }
        }
        for (auto task = m_tasks.rbegin(); task != m_tasks.rend(); ++task) {
            if (task->kind == Task::Walk) {
                m_ahead.request(task->host);
                return;
            }
        }
    }

    void run()
    {
        while (!m_tasks.empty()) {
            Task task = std::move(m_tasks.back());
            m_tasks.pop_back();
            if (stopped())
                continue;
            if (task.kind == Task::Finish) {
                if (m_list.OnDeleteFile)
                    m_list.OnDeleteFile(m_list, task.inner);
                // A folder that holds what the user chose to keep stays.
                if (::rmdir(task.host.c_str()) != 0 && !m_declined)
                    fail(task.inner, "the folder is not empty");
                TBrowser::pumpMessages();
                continue;
            }
            if (task.removeItself)
                m_tasks.push_back({ task.host, task.inner, true, Task::Finish });
            walk(task);
        }
    }

    TBrowser& m_list;
    std::vector<Task> m_tasks;
    ListingAhead m_ahead;
    uint64_t m_device = 0;
    bool m_declined = false;
};

} // namespace

bool TBrowser::DeleteSelected()
{
    if (Busy || m_walking)
        return true;
    WalkFailures.clear();
    Busy = true;
    m_walking = true;
    if (OnDeleteStart)
        OnDeleteStart(*this);
    const uint64_t generation = m_generation;
    const std::vector<int> indexes = walkIndexes();
    std::vector<std::string> names;
    for (int index : indexes)
        names.push_back(Entries[static_cast<std::size_t>(index - 1)].FullName);
    DeleteWalk walk(*this);
    // Archive disks delete nothing.
    const auto folder = DiskKind == 0 ? DriveTable::instance().toHost(DiskRoot + Folder) : std::nullopt;
    struct stat folderInfo {};
    const bool ready = folder && ::stat(folder->c_str(), &folderInfo) == 0;
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        unselectWalked(indexes[i], generation);
        if (!Busy)
            continue;
        const std::string inner = Folder + names[i];
        if (!ready) {
            walk.fail(inner, DiskKind == 0 ? "the drive is not ready" : "archives are not changed through this command");
            continue;
        }
        const std::string host = *folder + "/" + innerNameToHost(names[i]);
        HostEntry facts;
        if (!statPath(host, facts)) {
            walk.fail(inner, "already gone");
            continue;
        }
        walk.deleteEntry(host, inner, facts, deviceNumber(folderInfo.st_dev));
    }
    if (OnDeleteEnd)
        OnDeleteEnd(*this);
    Busy = false;
    m_walking = false;
    return WalkFailures.empty();
}

} // namespace ov
