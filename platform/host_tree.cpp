// The copy and delete visitors of the tree walk; see host_tree.h.
#include "platform/host_tree.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// True when the source is still the file a copy read: the same file, of
// the same size, neither written nor changed since.
bool unchangedSince(int folder, const std::string& name, const struct stat& before)
{
    struct stat now { };
    return ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, before)
        && now.st_size == before.st_size && sameTime(now.st_mtim, before.st_mtim)
        && sameTime(now.st_ctim, before.st_ctim);
}

bool isEntry(const struct stat& info, const HostEntry& entry)
{
    return deviceNumber(info.st_dev) == entry.device && static_cast<uint64_t>(info.st_ino) == entry.inode;
}

} // namespace

// The open target folder of a folder being copied.
struct TreeCopier::Target : WalkState {
    UniqueFd fd;
    std::string shown;
    bool created = false;
    FolderFacts facts;
    // Made (or moved in whole) by this operation from this source: then
    // so is everything already inside it.
    bool made = false;
    std::string madeFrom;
};

TreeCopier::TreeCopier(bool move)
    : Ledger(std::make_shared<CopyLedger>())
    , m_move(move)
{
    m_copier.OnStart = [this](int64_t size) {
        if (OnFileStart)
            OnFileStart(m_currentFrom, m_currentTo, size);
    };
    m_copier.OnProgress = [this](int64_t done, int64_t size) {
        if (OnProgress)
            OnProgress(done, size);
    };
}

TreeCopier::~TreeCopier() = default;

void TreeCopier::copy(const std::shared_ptr<WalkFolder>& from, const HostEntry& entry,
    const std::string& shownFrom, int to, const std::string& toName, const std::string& shownTo)
{
    m_start = from.get();
    m_startName = entry.name;
    m_startTarget = to;
    m_startTargetName = toName;
    m_startShownTo = shownTo;
    m_crossDevice = false;
    if (!m_walk) {
        m_walk = std::make_unique<TreeWalk>(*this, FileSystems::Cross, ListFacts::Basic);
        m_walk->Stopped = [this] { return stopped(); };
    }
    m_walk->run(from, entry, shownFrom);
    m_start = nullptr;
}

TreeCopier::Name TreeCopier::targetOf(WalkFolder& folder, const HostEntry& entry)
{
    if (&folder == m_start && entry.name == m_startName)
        return { m_startTarget, m_startTargetName, m_startShownTo, {} };
    const auto* target = static_cast<const Target*>(folder.state.get());
    return { target->fd.get(), entry.name, shownChild(target->shown, entry.name),
        target->made ? shownChild(target->madeFrom, entry.name) : "" };
}

void TreeCopier::record(const Name& target, const std::string& shownFrom)
{
    struct stat info { };
    if (::fstatat(target.folder, target.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        Ledger->made(info, shownFrom);
}

bool TreeCopier::mayOverwrite(const Name& target, const struct stat& existing, const std::string& shownFrom)
{
    const std::string* recorded = Ledger->madeFrom(existing);
    const std::string earlier = recorded ? *recorded : target.madeFrom;
    if (!earlier.empty()) {
        if (MayReplaceMade && MayReplaceMade(target.shown, earlier, shownFrom))
            return true;
        if (!stopped())
            failed(shownFrom,
                target.shown + " was made by this operation from " + earlier
                    + "; this source is left in place");
        return false;
    }
    if (MayReplace && !MayReplace(target.shown)) {
        // "No" keeps both files; it is the user's choice, not a failure.
        if (!stopped())
            m_declined = true;
        return false;
    }
    return true;
}

bool TreeCopier::renamed(
    WalkFolder& folder, const HostEntry& entry, const Name& target, const std::string& shownFrom)
{
    if (m_crossDevice)
        return false;
    switch (renameAt(folder.fd.get(), entry.name, target.folder, target.name)) {
    case RenameResult::Renamed:
        record(target, shownFrom);
        if (OnWhole)
            OnWhole(shownFrom, target.shown, entry.size, true);
        return true;
    case RenameResult::CrossDevice:
        // Below a source on another filesystem nothing renames either.
        m_crossDevice = true;
        return false;
    case RenameResult::Refused:
        return false;
    }
    return false;
}

void TreeCopier::file(WalkFolder& folder, const HostEntry& entry, const std::string& shown)
{
    if (stopped())
        return;
    const Name target = targetOf(folder, entry);
    struct stat existing { };
    const bool exists = ::fstatat(target.folder, target.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && isEntry(existing, entry)) {
        failed(shown, "the target is the source itself");
        return;
    }
    if (entry.kind == HostKind::Other) {
        failed(shown, "not a regular file");
        return;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        failed(shown, copyStatusText(CopyStatus::TargetInTheWay));
        return;
    }
    if (exists && !mayOverwrite(target, existing, shown))
        return;
    if (m_move && renamed(folder, entry, target, shown))
        return;
    if (entry.kind == HostKind::SymLink || (entry.attr & faSymLink)) {
        if (!copySymLinkAt(folder.fd.get(), entry.name, target.folder, target.name)) {
            failed(shown, "the link cannot be made on the destination");
            return;
        }
        record(target, shown);
        if (OnWhole)
            OnWhole(shown, target.shown, entry.size, false);
        if (m_move && ::unlinkat(folder.fd.get(), entry.name.c_str(), 0) != 0)
            failed(shown, "copied, but the source cannot be deleted");
        return;
    }
    struct stat source { };
    struct stat made { };
    m_currentFrom = shown;
    m_currentTo = target.shown;
    const CopyStatus status
        = m_copier.copyAt(folder.fd.get(), entry.name, target.folder, target.name, m_move, &source, &made);
    if (status != CopyStatus::Ok) {
        failed(shown, copyStatusText(status));
        return;
    }
    Ledger->made(made, shown);
    if (OnFileEnd)
        OnFileEnd();
    if (!m_move)
        return;
    // The copy is on disk; the source goes only if it is still what was
    // read (data appended or rewritten meanwhile stays with the source).
    if (!unchangedSince(folder.fd.get(), entry.name, source))
        failed(shown, "changed while it was moved: the source is kept");
    else if (::unlinkat(folder.fd.get(), entry.name.c_str(), 0) != 0)
        failed(shown, "copied, but the source cannot be deleted");
}

bool TreeCopier::found(WalkFolder& folder, const HostEntry& entry, const std::string& shown)
{
    if (!m_move || m_crossDevice || stopped())
        return true;
    const Name target = targetOf(folder, entry);
    struct stat existing { };
    if (::fstatat(target.folder, target.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        // Only an empty folder is replaced by a rename; one this operation
        // made is merged into, so its files meet their questions.
        if (!RenameOverEmptyFolder || isEntry(existing, entry) || !S_ISDIR(existing.st_mode)
            || Ledger->madeFrom(existing) || !target.madeFrom.empty())
            return true;
    }
    return !renamed(folder, entry, target, shown);
}

bool TreeCopier::enter(WalkFolder& folder)
{
    if (m_madeFolders.count({ folder.facts.device, folder.facts.inode })) {
        failed(folder.shown, "a folder cannot go into itself");
        return false;
    }
    const Name target = targetOf(*folder.parent, folder.facts);
    const bool created = ::mkdirat(target.folder, target.name.c_str(), 0700) == 0;
    if (!created && errno != EEXIST) {
        failed(folder.shown, "the folder cannot be made on the destination");
        return false;
    }
    auto state = std::make_unique<Target>();
    state->fd.reset(
        ::openat(target.folder, target.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info { };
    if (!state->fd || ::fstat(state->fd.get(), &info) != 0) {
        failed(folder.shown, "the folder cannot be made on the destination");
        return false;
    }
    if (isEntry(info, folder.facts)) {
        failed(folder.shown, "the target is the source itself");
        return false;
    }
    state->shown = target.shown;
    state->created = created;
    if (created) {
        state->facts = readFolderFacts(folder.fd.get());
        m_madeFolders.insert({ deviceNumber(info.st_dev), static_cast<uint64_t>(info.st_ino) });
        Ledger->made(info, folder.shown);
    }
    if (const std::string* recorded = Ledger->madeFrom(info)) {
        state->made = true;
        state->madeFrom = *recorded;
    } else if (!target.madeFrom.empty()) {
        state->made = true;
        state->madeFrom = target.madeFrom;
    }
    folder.state = std::move(state);
    return true;
}

void TreeCopier::leave(WalkFolder& folder)
{
    const auto* target = static_cast<const Target*>(folder.state.get());
    if (target->created && !applyFolderFacts(target->facts, target->fd.get()))
        m_folderAttributesLost = true;
    // A moved source folder goes once it is empty; one that still holds
    // what the user chose to keep stays.
    if (m_move && ::unlinkat(folder.parent->fd.get(), folder.name.c_str(), AT_REMOVEDIR) != 0 && !stopped()
        && !m_declined)
        failed(folder.shown, "the source folder is not empty");
}

void TreeCopier::failed(const std::string& shown, const std::string& reason)
{
    if (OnFail)
        OnFail(shown, reason);
}

// --- deleting ----------------------------------------------------------------

namespace {

struct RemoveState : WalkState {
    bool removeItself = false;
};

} // namespace

TreeRemover::TreeRemover() = default;
TreeRemover::~TreeRemover() = default;

void TreeRemover::remove(
    const std::shared_ptr<WalkFolder>& from, const HostEntry& entry, const std::string& shown)
{
    if (!m_walk) {
        m_walk = std::make_unique<TreeWalk>(*this, FileSystems::StayOnOne, ListFacts::All);
        m_walk->Stopped = [this] { return stopped(); };
    }
    m_walk->run(from, entry, shown);
}

void TreeRemover::file(WalkFolder& folder, const HostEntry& entry, const std::string& shown)
{
    if (stopped())
        return;
    if (MayDelete && !MayDelete(entry, shown)) {
        m_declined = true;
        return;
    }
    if (OnDelete)
        OnDelete(shown);
    if (::unlinkat(folder.fd.get(), entry.name.c_str(), 0) != 0)
        failed(shown, "cannot be deleted");
}

bool TreeRemover::enter(WalkFolder& folder)
{
    auto state = std::make_unique<RemoveState>();
    state->removeItself = !MayDelete || MayDelete(folder.facts, folder.shown);
    if (!state->removeItself)
        m_declined = true;
    folder.state = std::move(state);
    return true;
}

void TreeRemover::leave(WalkFolder& folder)
{
    if (stopped() || !static_cast<const RemoveState*>(folder.state.get())->removeItself)
        return;
    if (OnDelete)
        OnDelete(folder.shown);
    // A folder that holds what the user chose to keep stays.
    if (::unlinkat(folder.parent->fd.get(), folder.name.c_str(), AT_REMOVEDIR) != 0 && !m_declined)
        failed(folder.shown, "the folder is not empty");
}

void TreeRemover::failed(const std::string& shown, const std::string& reason)
{
    if (OnFail)
        OnFail(shown, reason);
}

bool removeHostTree(const std::string& hostPath)
{
    HostEntry entry;
    if (!statPath(hostPath, entry))
        return false;
    const auto start = TreeWalk::openStart(hostParentOf(hostPath), hostParentOf(hostPath));
    if (!start)
        return false;
    bool complete = true;
    TreeRemover remover;
    remover.OnFail = [&](const std::string&, const std::string&) { complete = false; };
    remover.remove(start, entry, hostPath);
    return complete;
}

} // namespace ov
