// Copying, moving and deleting whole host trees: the two visitors of the
// tree walk that every engine of the program runs (the file lists' own
// walks and the "system function"), and removeHostTree.
//
// TreeCopier copies or moves one entry with everything below it from an
// open folder into another, by the copy rules: a folder is made (or an
// existing one merged into) relative to the open target folder and opened
// without following a link; files are created relative to that open
// folder; links are copied as links. A move renames where it can; across
// filesystems it copies, makes the copy durable, checks that the source
// is still the file it read (size, modification and change time) and
// only then deletes it. The engine's events, questions and failures are
// callbacks.
//
// TreeRemover deletes one entry with everything below it, never leaving
// its tree and never entering another filesystem.
#pragma once

#include "platform/block_copier.h"
#include "platform/copy_rules.h"
#include "platform/tree_walk.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace ov {

class TreeCopier : public TreeVisitor {
public:
    explicit TreeCopier(bool move);
    ~TreeCopier() override;

    // Events. A copied file: FileStart, Progress per block, FileEnd. A
    // link, or an entry a rename moved whole: Whole (size: the listing's).
    std::function<void(const std::string& from, const std::string& to, int64_t size)> OnFileStart;
    std::function<void(int64_t done, int64_t size)> OnProgress;
    std::function<void()> OnFileEnd;
    std::function<void(const std::string& from, const std::string& to, int64_t size, bool renamed)> OnWhole;
    // What could not be done, by source path as the user sees it.
    std::function<void(const std::string& from, const std::string& reason)> OnFail;
    // An existing target file: true replaces it. Without a handler every
    // target is replaced. A handler that answers false keeps both.
    std::function<bool(const std::string& to)> MayReplace;
    // A target this operation made from `earlier` is in the way of
    // `later`: true replaces it. Without a handler it is kept and `later`
    // fails.
    std::function<bool(const std::string& to, const std::string& earlier, const std::string& later)>
        MayReplaceMade;
    // Polled before every entry.
    std::function<bool()> Stopped;
    // A moved folder whose name is taken by an empty folder: true renames
    // over it, false moves its contents in one by one.
    bool RenameOverEmptyFolder = true;

    // Shared by all copies of one operation (several lists, several
    // sources); by default each copier has its own.
    std::shared_ptr<CopyLedger> Ledger;

    // Copies (or moves) entry, a name in the open folder `from`, to toName
    // in the open folder `to`. The caller has checked the entry itself
    // against the rules (same file, into itself).
    void copy(const std::shared_ptr<WalkFolder>& from, const HostEntry& entry, const std::string& shownFrom,
        int to, const std::string& toName, const std::string& shownTo);

    // True when some target could not hold the extended attributes or
    // ACLs of its source (the data arrived anyway).
    bool attributesLost() const { return m_copier.AttributesLost || m_folderAttributesLost; }
    // True when the user kept a target (answered no).
    bool declined() const { return m_declined; }

    void file(WalkFolder& folder, const HostEntry& entry, const std::string& shown) override;
    bool found(WalkFolder& folder, const HostEntry& entry, const std::string& shown) override;
    bool enter(WalkFolder& folder) override;
    void leave(WalkFolder& folder) override;
    void failed(const std::string& shown, const std::string& reason) override;

private:
    struct Target;
    struct Name {
        int folder;
        std::string name;
        std::string shown;
        // Set when the folder holding it was made by this operation: the
        // source the thing in its place came from.
        std::string madeFrom;
    };
    Name targetOf(WalkFolder& folder, const HostEntry& entry);
    bool stopped() const { return Stopped && Stopped(); }
    // False when the existing target must stay (refused, declined).
    bool mayOverwrite(const Name& target, const struct stat& existing, const std::string& shownFrom);
    bool renamed(
        WalkFolder& folder, const HostEntry& entry, const Name& target, const std::string& shownFrom);
    void record(const Name& target, const std::string& shownFrom);

    const bool m_move;
    BlockCopier m_copier;
    bool m_crossDevice = false; // a rename was refused for crossing filesystems
    bool m_declined = false;
    bool m_folderAttributesLost = false;
    // The folders this copy made: a source folder among them is the copy
    // itself coming round again (a bind mount of the target inside the
    // source) and is never walked.
    std::set<std::pair<uint64_t, uint64_t>> m_madeFolders;
    const WalkFolder* m_start = nullptr;
    std::string m_startName;
    int m_startTarget = -1;
    std::string m_startTargetName;
    std::string m_startShownTo;
    std::string m_currentFrom;
    std::string m_currentTo;
    std::unique_ptr<TreeWalk> m_walk;
};

class TreeRemover : public TreeVisitor {
public:
    TreeRemover();
    ~TreeRemover() override;

    // Asked for every entry (a folder before its contents): false keeps it
    // (and so the folders holding it). Without a handler everything goes.
    std::function<bool(const HostEntry& entry, const std::string& shown)> MayDelete;
    // Before each path is removed.
    std::function<void(const std::string& shown)> OnDelete;
    std::function<void(const std::string& shown, const std::string& reason)> OnFail;
    std::function<bool()> Stopped;

    // Deletes entry, a name in the open folder `from`.
    void remove(const std::shared_ptr<WalkFolder>& from, const HostEntry& entry, const std::string& shown);

    void file(WalkFolder& folder, const HostEntry& entry, const std::string& shown) override;
    bool enter(WalkFolder& folder) override;
    void leave(WalkFolder& folder) override;
    void failed(const std::string& shown, const std::string& reason) override;

private:
    bool stopped() const { return Stopped && Stopped(); }
    bool m_declined = false;
    std::unique_ptr<TreeWalk> m_walk;
};

// Deletes a host path for good: a file or link is unlinked, a folder
// emptied and removed without following links or leaving its filesystem.
// False when anything stayed behind.
bool removeHostTree(const std::string& hostPath);

} // namespace ov
