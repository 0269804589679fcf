// The "system function" file operation: copy, move or delete whole paths.
//
// TFileOperation is the file operation the Recycle Bin option and the
// "System function copy" option stand for: copy, move or delete whole
// paths with the platform's rules (an existing folder as destination means
// "into it", anything else is the new name), a replace question through the
// prompt service, and progress per file. It runs the same tree walk, copy
// rules and block copy as the file lists' own walks (host_tree.h), so
// links are copied, moved and deleted as links. Deleting with AllowUndo
// moves to the freedesktop Trash and never falls back to a permanent
// delete. It shows nothing itself: what failed comes back from Execute,
// and the window shows it.
#pragma once

#include "platform/block_copier.h"
#include "platform/host_tree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

enum class FileOperationKind { Copy, Move, Delete };

struct FileOperationResult {
    // 0 when everything asked for was done; otherwise 1.
    int code = 0;
    // What was not done, one line each ("c:\w\a.txt: the reason").
    std::vector<std::string> reasons;
    // What the operation has to say although it did its work, once each
    // (a destination that cannot keep extended attributes).
    std::vector<std::string> notices;
};

// The "system function": one operation over whole paths (Windows-style, one
// path per element; a ";" inside a name is part of the name).
class TFileOperation {
public:
    FileOperationKind Operation = FileOperationKind::Copy;
    std::vector<std::string> Sources;
    std::string Destination; // unused for Delete
    bool AllowUndo = true; // Delete: to the Trash
    bool NoConfirmation = false; // replace without asking (never a file this operation made)

    // Progress per file: its Windows path, bytes done of it and its size.
    // A file being copied reports (path, 0, size) before its first byte and
    // then once per block; a path that is renamed or deleted whole reports
    // (path, 0, 0) once. The handler may call Cancel. Messages are let
    // through after each report (at most every 30 ms).
    std::function<void(const std::string& path, int64_t done, int64_t size)> OnProgress;

    // Stops a running Execute after the file in progress: nothing further
    // is started, what is done stays done, and AnyOperationsAborted is set.
    void Cancel();

    // Runs the operation: code 0 when everything asked for was done;
    // otherwise 1, with the paths left behind in Failed and the reasons in
    // the result. AnyOperationsAborted is set when the user cancelled at a
    // replace question or through Cancel.
    FileOperationResult Execute();

    bool AnyOperationsAborted = false;
    std::vector<std::string> Failed;

private:
    enum class Replace { Ask, All };
    void report(const std::string& path, int64_t done, int64_t size);
    void transfer(const std::string& source, const std::string& from, const std::string& to,
        const std::string& shownTo, TreeCopier& copier, FileOperationResult& result);
    bool mayReplace(const std::string& shownTarget);
    bool mayReplaceMade(const std::string& shownTarget, const std::string& earlier, const std::string& later);

    Replace m_replace = Replace::Ask;
    bool m_cancelled = false;
    std::string m_current; // the file being copied, as shown
};

} // namespace ov
