// The "system function" file operation; see file_operation.h.
#include "platform/file_operation.h"

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/process_messages.h"
#include "platform/trash.h"
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ov {

namespace {

constexpr const char* attributesNotice
    = "Some extended attributes or access control lists could not be kept: the destination cannot hold them. "
      "The data was copied.";

std::string withoutTrailingBackslash(std::string path)
{
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

void TFileOperation::report(const std::string& path, int64_t done, int64_t size)
{
    if (OnProgress)
        OnProgress(path, done, size);
    letMessagesThrough();
}

FileOperationResult TFileOperation::Execute()
{
    Failed.clear();
    AnyOperationsAborted = false;
    m_cancelled = false;
    m_replace = NoConfirmation ? Replace::All : Replace::Ask;
    const DriveTable& drives = DriveTable::instance();
    FileOperationResult result;

    if (Operation == FileOperationKind::Delete) {
        for (const std::string& source : Sources) {
            if (m_cancelled)
                break;
            report(source, 0, 0);
            const auto host = drives.toHost(source);
            std::string error;
            bool done = false;
            if (!host)
                error = "no such drive";
            else if (AllowUndo)
                done = moveToTrash(*host, &error);
            else
                done = removeHostTree(*host);
            if (!done) {
                Failed.push_back(source);
                result.reasons.push_back(
                    source + ": " + (error.empty() ? std::string("cannot be deleted") : error));
            }
        }
    } else {
        const bool move = Operation == FileOperationKind::Move;
        const auto destination = drives.toHost(Destination);
        // A typed destination that names an existing folder (or a link to
        // one) means "into it"; anything else is the new name.
        const bool intoFolder = destination && isExistingFolder(*destination);
        const bool oneName = Sources.size() == 1 || intoFolder;
        TreeCopier copier(move);
        copier.Stopped = [this] { return m_cancelled; };
        // Into a folder that exists, a move goes entry by entry.
        copier.RenameOverEmptyFolder = false;
        copier.MayReplace = [this](const std::string& to) { return mayReplace(to); };
        copier.MayReplaceMade = [this](const std::string& to, const std::string& earlier,
                                    const std::string& later) { return mayReplaceMade(to, earlier, later); };
        copier.OnFileStart = [this](const std::string& from, const std::string&, int64_t size) {
            m_current = from;
            report(from, 0, size);
        };
        copier.OnProgress = [this](int64_t done, int64_t size) { report(m_current, done, size); };
        copier.OnWhole = [this](const std::string& from, const std::string&, int64_t, bool renamed) {
            if (renamed)
                report(from, 0, 0);
        };
        copier.OnFail = [this, &result](const std::string& from, const std::string& reason) {
            Failed.push_back(from);
            result.reasons.push_back(from + ": " + reason);
        };
        for (const std::string& source : Sources) {
            if (m_cancelled)
                break;
            const auto host = drives.toHost(source);
            if (!host || !destination || !oneName) {
                Failed.push_back(source);
                result.reasons.push_back(source + ": "
                    + (!host || !destination ? "no such drive"
                                             : "several sources cannot share one new name"));
                continue;
            }
            const std::string target = intoFolder ? *destination + "/" + hostBaseName(*host) : *destination;
            const std::string shownTo = intoFolder
                ? withoutTrailingBackslash(Destination) + "\\" + hostNameToInner(hostBaseName(*host))
                : Destination;
            transfer(source, *host, target, shownTo, copier, result);
        }
        if (copier.attributesLost())
            result.notices.push_back(attributesNotice);
    }
    result.code = Failed.empty() && !AnyOperationsAborted ? 0 : 1;
    return result;
}

void TFileOperation::transfer(const std::string& source, const std::string& from, const std::string& to,
    const std::string& shownTo, TreeCopier& copier, FileOperationResult& result)
{
    const auto fail = [&](const std::string& reason) {
        Failed.push_back(source);
        result.reasons.push_back(source + ": " + reason);
    };
    HostEntry entry;
    if (!statPath(from, entry)) {
        fail("the source is gone");
        return;
    }
    struct stat target { };
    if (::lstat(to.c_str(), &target) == 0 && deviceNumber(target.st_dev) == entry.device
        && target.st_ino == entry.inode) {
        fail("the target is the source itself");
        return;
    }
    if (walksInto(entry) && isSameOrBelow(hostParentOf(to), entry.device, entry.inode)) {
        fail("a folder cannot go into itself");
        return;
    }
    const auto start = TreeWalk::openStart(hostParentOf(from), hostParentOf(from));
    const UniqueFd targetFolder(::open(hostParentOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!start || !targetFolder) {
        fail("the folder cannot be opened");
        return;
    }
    copier.copy(start, entry, source, targetFolder.get(), hostBaseName(to), shownTo);
}

void TFileOperation::Cancel()
{
    m_cancelled = true;
    AnyOperationsAborted = true;
}

bool TFileOperation::mayReplace(const std::string& shownTarget)
{
    if (m_replace == Replace::All)
        return true;
    const Answer answer
        = prompts().ask({ "The file " + shownTarget + " already exists.\nDo you want to replace it?",
            "Confirm File Replace", Buttons::YesYesToAllNoCancel, Icon::Question });
    switch (answer) {
    case Answer::Yes:
        return true;
    case Answer::YesToAll:
        m_replace = Replace::All;
        return true;
    case Answer::No:
        return false;
    default:
        Cancel();
        return false;
    }
}

bool TFileOperation::mayReplaceMade(
    const std::string& shownTarget, const std::string& earlier, const std::string& later)
{
    // Never answered by NoConfirmation: the two sources are the user's to
    // choose between. No (skip) is the safe answer.
    return prompts().ask({ madeTwiceQuestion(shownTarget, earlier, later), "Confirm File Replace",
               Buttons::YesNo, Icon::Question })
        == Answer::Yes;
}

} // namespace ov
