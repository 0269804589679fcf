// TBrowser::CopyTo: the copy and move walk.
//
// Each entry is copied in list order by the tree walk's copy visitor
// (platform/host_tree.h): a folder is made on the destination, then
// walked: its listing is taken, its files copied in listing order, and
// only after the listing are its sub-folders walked, the most recently
// found first. A move deletes each source file once its copy arrived
// completely (written to disk first) and the source is still what was
// read, and each source folder once it is empty. Within one filesystem a
// move renames instead, raising the same per-entry events.
//
// What is refused, each as a failed entry that leaves both sides untouched:
// a target that is the source itself (same device and inode: the same
// folder in both panels, a hard link, a bind mount), a folder into itself
// or below it, FIFOs, sockets and devices, and a later source of a name
// this operation already made (unless OnReplaceMade says replace). Links
// are copied as links and never followed. Archives on either side take
// part in nothing.
#include "panel/browser.h"

#include "platform/copy_rules.h"
#include "platform/drives.h"
#include "platform/host_tree.h"
#include "platform/process_messages.h"

namespace ov {

namespace {

constexpr const char* attributesNotice
    = "Some extended attributes or access control lists could not be kept: the destination cannot hold them. "
      "The data was copied.";

class CopyWalk {
public:
    CopyWalk(TBrowser& source, bool move)
        : m_source(source)
        , m_copier(move)
    {
        if (source.Ledger)
            m_copier.Ledger = source.Ledger;
        m_copier.Stopped = [this] { return !m_source.Busy; };
        m_copier.OnFileStart = [this](const std::string& from, const std::string& to, int64_t size) {
            if (m_source.OnFileStart)
                m_source.OnFileStart(m_source, from, to, size);
        };
        m_copier.OnProgress = [this](int64_t done, int64_t size) {
            if (m_source.OnProgress)
                m_source.OnProgress(m_source, done, size);
            TBrowser::pumpMessages();
        };
        m_copier.OnFileEnd = [this] {
            if (m_source.OnFileEnd)
                m_source.OnFileEnd(m_source);
            TBrowser::pumpMessages();
        };
        // A link, or an entry a rename moved whole: the events of one file.
        m_copier.OnWhole = [this](const std::string& from, const std::string& to, int64_t size, bool) {
            if (m_source.OnFileStart)
                m_source.OnFileStart(m_source, from, to, size);
            if (m_source.OnProgress)
                m_source.OnProgress(m_source, size, size);
            if (m_source.OnFileEnd)
                m_source.OnFileEnd(m_source);
            TBrowser::pumpMessages();
        };
        m_copier.OnFail = [this](const std::string& from, const std::string& reason) { fail(from, reason); };
        m_copier.MayReplaceMade
            = [this](const std::string& to, const std::string& earlier, const std::string& later) {
                  bool replace = false;
                  if (m_source.OnReplaceMade)
                      m_source.OnReplaceMade(m_source, to, earlier, later, replace);
                  return replace;
              };
    }

    // Copies one entry of the list (a name in the open folder `from`) with
    // everything below it into the open folder `to`.
    void copyEntry(const std::shared_ptr<WalkFolder>& from, int to, const HostEntry& entry,
        const std::string& shownFrom, const std::string& shownTo, const std::string& hostTo)
    {
        if (walksInto(entry) && isSameOrBelow(hostParentOf(hostTo), entry.device, entry.inode)) {
            fail(shownFrom, "a folder cannot go into itself");
            return;
        }
        m_copier.copy(from, entry, shownFrom, to, entry.name, shownTo);
    }

    void fail(const std::string& shownFrom, const std::string& reason)
    {
        m_source.WalkFailures.push_back(shownFrom + ": " + reason);
    }

    bool attributesLost() const { return m_copier.attributesLost(); }

private:
    TBrowser& m_source;
    TreeCopier m_copier;
};

} // namespace

std::vector<int> TBrowser::walkIndexes() const
{
    std::vector<int> indexes;
    if (SelCount > 0) {
        for (int i = 1; i <= Count; ++i)
            if (Entries[static_cast<std::size_t>(i - 1)].Selected
                && !Entries[static_cast<std::size_t>(i - 1)].IsParent)
                indexes.push_back(i);
    } else if (CurIndex >= 1 && CurIndex <= Count
        && !Entries[static_cast<std::size_t>(CurIndex - 1)].IsParent) {
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
    WalkNotices.clear();
    // Nothing goes into or out of an archive through the disks.
    if (DiskKind != DiskKind::Standard || destination.DiskKind != DiskKind::Standard || !Disk
        || !destination.Disk) {
        WalkFailures.push_back("archives are not copied into or out of through this command");
        return false;
    }
    const DriveTable& drives = DriveTable::instance();
    const auto sourceFolder = drives.toHost(DiskRoot + Folder);
    const auto targetFolder = drives.toHost(destination.DiskRoot + destination.Folder);
    const std::string shownTarget = destination.DiskRoot + destination.Folder;
    const std::vector<int> indexes = walkIndexes();

    // Both folders are opened once: every entry is then copied relative to
    // them.
    const std::shared_ptr<WalkFolder> from
        = sourceFolder ? TreeWalk::openStart(*sourceFolder, DiskRoot + Folder) : nullptr;
    const std::shared_ptr<WalkFolder> to
        = targetFolder ? TreeWalk::openStart(*targetFolder, shownTarget) : nullptr;

    // The total for the progress bar. A move within one filesystem renames
    // and needs no measured folders.
    int64_t total = 0;
    if (move && from && to && from->facts.device == to->facts.device) {
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
            const std::string shownFrom = DiskRoot + Folder + name;
            HostEntry entry;
            if (!from || !to)
                walk.fail(shownFrom, "the drive is not ready");
            else if (!statPath(*sourceFolder + "/" + innerNameToHost(name), entry))
                walk.fail(shownFrom, "the source is gone");
            else
                walk.copyEntry(from, to->fd.get(), entry, shownFrom, shownTarget + name,
                    *targetFolder + "/" + entry.name);
        }
        unselectWalked(indexes[i], generation);
    }
    if (walk.attributesLost())
        WalkNotices.push_back(attributesNotice);
    if (OnCopyEnd)
        OnCopyEnd(*this);
    Busy = false;
    m_walking = false;
    return WalkFailures.empty();
}

} // namespace ov
