// TBrowser::DeleteSelected: the delete walk.
//
// Each entry is unselected, then deleted by the tree walk's delete visitor
// (platform/host_tree.h): a file or link at once (a link is removed, never
// what it points to), a folder by its walk: its listing is taken, its files
// deleted in listing order, then its sub-folders walked, the most recently
// found first, and the folder itself removed at the end. A read-only entry
// goes only when OnConfirmReadOnly says so. Every name is removed relative
// to its open folder, which is the folder the listing saw (not a link put
// in its place), so nothing outside the deleted tree is touched even when
// the tree changes meanwhile. No walk enters a folder of another
// filesystem (a mount point below the deleted folder stays, and so does
// everything above it).
#include "panel/browser.h"

#include "platform/drives.h"
#include "platform/host_tree.h"

namespace ov {

bool TBrowser::DeleteSelected()
{
    if (Busy || m_walking)
        return true;
    WalkFailures.clear();
    WalkNotices.clear();
    Busy = true;
    m_walking = true;
    if (OnDeleteStart)
        OnDeleteStart(*this);
    const uint64_t generation = m_generation;
    const std::vector<int> indexes = walkIndexes();
    std::vector<std::string> names;
    for (int index : indexes)
        names.push_back(Entries[static_cast<std::size_t>(index - 1)].FullName);

    // Failures carry the full path (in an archive its path, "\" and the
    // inner path); events the path inside the disk.
    const auto fail = [this](const std::string& inner, const std::string& reason) {
        WalkFailures.push_back(
            (DiskKind == DiskKind::Archive ? DiskRoot + "\\" : DiskRoot) + inner + ": " + reason);
    };
    TreeRemover remover;
    remover.Stopped = [this] { return !Busy; };
    remover.MayDelete = [this](const HostEntry& facts, const std::string& inner) {
        if (!(facts.attr & faReadOnly))
            return true;
        bool goAhead = false;
        if (OnConfirmReadOnly)
            OnConfirmReadOnly(*this, 1, inner, goAhead);
        return goAhead;
    };
    remover.OnDelete = [this](const std::string& inner) {
        if (OnDeleteFile)
            OnDeleteFile(*this, inner);
        pumpMessages();
    };
    remover.OnFail = fail;

    // Archive disks delete nothing.
    const auto folder
        = DiskKind == DiskKind::Standard ? DriveTable::instance().toHost(DiskRoot + Folder) : std::nullopt;
    const std::string shownFolder = Folder.empty() ? std::string() : Folder.substr(0, Folder.size() - 1);
    const std::shared_ptr<WalkFolder> start = folder ? TreeWalk::openStart(*folder, shownFolder) : nullptr;
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        unselectWalked(indexes[i], generation);
        if (!Busy)
            continue;
        const std::string inner = Folder + names[i];
        if (!start) {
            fail(inner,
                DiskKind == DiskKind::Standard ? "the drive is not ready"
                                               : "archives are not changed through this command");
            continue;
        }
        HostEntry facts;
        if (!statPath(*folder + "/" + innerNameToHost(names[i]), facts)) {
            fail(inner, "already gone");
            continue;
        }
        remover.remove(start, facts, inner);
    }
    if (OnDeleteEnd)
        OnDeleteEnd(*this);
    Busy = false;
    m_walking = false;
    return WalkFailures.empty();
}

} // namespace ov
