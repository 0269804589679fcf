// The rules every copy and move of the program follows, whichever engine
// runs it:
//   - a target that is the source itself (same device and inode: a hard
//     link, the same folder in both panels, a bind mount) is refused;
//   - a folder never goes into itself or below itself, judged by device
//     and inode along the destination's real ancestors (through "..", and
//     through the folder a bind mount shows), never by path text;
//   - a move renames within one filesystem and copies, then deletes, when
//     the rename crosses filesystems (EXDEV);
//   - a link is copied as a link, never followed;
//   - a file this operation made is never replaced by a later source of
//     the same name without a question (the ledger).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace ov {

// True when hostPath is a folder or a link to one: a destination that
// names an existing folder means "into it".
bool isExistingFolder(const std::string& hostPath);

// True when two stats name one file.
bool sameFile(const struct stat& a, const struct stat& b);

// True when hostFolder is the folder (device, inode) or lies below it.
// Walks up from hostFolder through ".."; where a bind mount shows part of
// a filesystem, the walk also goes up from the place that part has in
// every other mount of that filesystem.
bool isSameOrBelow(const std::string& hostFolder, uint64_t device, uint64_t inode);

// What a move of one name does first.
enum class RenameResult {
    Renamed,
    CrossDevice, // copy, then delete
    Refused, // anything else (a folder in the way, a full folder): copy
};
RenameResult renameAt(int fromFolder, const std::string& fromName, int toFolder, const std::string& toName);

// The files, links and folders one operation has made (or moved in whole),
// by identity, with the source each came from as the user sees it.
class CopyLedger {
public:
    void made(const struct stat& target, const std::string& shownSource);
    // The source the file was made from, or null when this operation did
    // not make it.
    const std::string* madeFrom(const struct stat& target) const;

private:
    std::map<std::pair<uint64_t, uint64_t>, std::string> m_made;
};

// The lines a copy or move shows for a file this operation made that a
// later source of the same name would replace.
std::string madeTwiceQuestion(
    const std::string& shownTarget, const std::string& earlier, const std::string& later);

} // namespace ov
