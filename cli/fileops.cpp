// ovtool copy|move|delete: the file lists' own copy, move and delete walks
// from the command line, for scripts, tests and benchmarks.
//
//   ovtool copy [--events] [--system] SRC... DEST   DEST: an existing folder
//   ovtool move [--events] [--system] SRC... DEST
//   ovtool delete [--events] [--trash] SRC...
//
// Sources are host paths; the sources of one folder form one selection of
// one file list, exactly as in a panel. --events prints every event of the
// walk; otherwise a summary line is printed. --system runs the "system
// function" engine instead, --trash deletes into the freedesktop Trash.
// Exit status 0 when everything was done, 1 when anything failed, 2 on a
// usage error.
#include "panel/browser.h"
#include "platform/copy_rules.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_operation.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace ov;

namespace {

struct Totals {
    int64_t files = 0;
    int64_t bytes = 0;
    int64_t deleted = 0;
};

// A host path as the drive table sees it: drive root "c:\" and the folder
// inside it ("" or ending in "\").
bool splitWindowsFolder(const std::string& hostFolder, std::string& root, std::string& folder)
{
    const auto windows = DriveTable::instance().fromHost(hostFolder);
    if (!windows || windows->size() < 3)
        return false;
    root = windows->substr(0, 3);
    folder = windows->substr(3);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return true;
}

// Makes a source or destination absolute without changing what it names:
// the folder part is resolved through the file system (a ".." after a link
// means the link target's parent, as the system reads it), the last name
// is kept as it is (a link given by name is the link). Empty, with a
// message, when the folder part does not exist.
std::string resolvePath(const std::string& given)
{
    std::string path = given;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::string parent = hostParentOf(path);
    std::string name = hostBaseName(path);
    if (path == "/" || name == "." || name == "..") {
        parent = path;
        name.clear();
    }
    char resolved[PATH_MAX];
    if (!::realpath(parent.c_str(), resolved)) {
        std::fprintf(stderr, "ovtool: %s: the folder it names cannot be resolved (%s)\n", given.c_str(),
            std::strerror(errno));
        return std::string();
    }
    const std::string folder = resolved;
    if (name.empty())
        return folder;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

void wireEvents(TBrowser& list, bool print, Totals& totals)
{
    list.OnCopyStart = [print](TBrowser&, int64_t total) {
        if (print)
            std::printf("copy-start %lld\n", static_cast<long long>(total));
    };
    list.OnFileStart
        = [print](TBrowser&, const std::string& source, const std::string& target, int64_t size) {
              if (print)
                  std::printf("file-start %s -> %s %lld\n", source.c_str(), target.c_str(),
                      static_cast<long long>(size));
          };
    list.OnProgress = [print, &totals](TBrowser&, int64_t done, int64_t size) {
        if (print)
            std::printf("progress %lld/%lld\n", static_cast<long long>(done), static_cast<long long>(size));
        if (done == size)
            totals.bytes += size;
    };
    list.OnFileEnd = [print, &totals](TBrowser&) {
        ++totals.files;
        if (print)
            std::printf("file-end\n");
    };
    list.OnCopyEnd = [print](TBrowser&) {
        if (print)
            std::printf("copy-end\n");
    };
    list.OnDeleteFile = [print, &totals](TBrowser&, const std::string& path) {
        ++totals.deleted;
        if (print)
            std::printf("delete %s\n", path.c_str());
    };
    // The command line is the confirmation: read-only entries go too.
    list.OnConfirmReadOnly = [](TBrowser&, int, const std::string&, bool& goAhead) { goAhead = true; };
}

// Selects name in list; false when the folder does not list it.
bool select(TBrowser& list, const std::string& name)
{
    const std::string inner = hostNameToInner(name);
    for (int i = 1; i <= list.Count; ++i)
        if (list.NameAt(i) == inner) {
            if (!list.IsSelected(i))
                list.ToggleSelect(i);
            return true;
        }
    return false;
}

int runSystem(const std::string& verb, const std::vector<std::string>& sources,
    const std::string& destination, bool trash)
{
    TFileOperation operation;
    operation.Operation = verb == "copy" ? FileOperationKind::Copy
        : verb == "move"                 ? FileOperationKind::Move
                                         : FileOperationKind::Delete;
    operation.AllowUndo = trash;
    operation.NoConfirmation = true;
    for (const std::string& source : sources) {
        const auto windows = DriveTable::instance().fromHost(source);
        if (!windows) {
            std::fprintf(stderr, "ovtool: %s is on no drive\n", source.c_str());
            return 1;
        }
        operation.Sources.push_back(*windows);
    }
    if (!destination.empty()) {
        const auto windows = DriveTable::instance().fromHost(destination);
        if (!windows) {
            std::fprintf(stderr, "ovtool: %s is on no drive\n", destination.c_str());
            return 1;
        }
        operation.Destination = *windows;
    }
    const FileOperationResult result = operation.Execute();
    for (const std::string& reason : result.reasons)
        std::fprintf(stderr, "ovtool: failed: %s\n", reason.c_str());
    for (const std::string& notice : result.notices)
        std::fprintf(stderr, "ovtool: note: %s\n", notice.c_str());
    return result.code == 0 ? 0 : 1;
}

} // namespace

int ovtoolFileOps(int argc, char** argv)
{
    const std::string verb = argv[0];
    bool events = false;
    bool system = false;
    bool trash = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--events")
            events = true;
        else if (arg == "--system")
            system = true;
        else if (arg == "--trash")
            trash = true;
        else {
            const std::string path = resolvePath(arg);
            if (path.empty())
                return 2;
            paths.push_back(path);
        }
    }
    const bool deleting = verb == "delete";
    if (paths.size() < (deleting ? 1u : 2u)) {
        std::fprintf(stderr, "usage: ovtool %s [--events] %s\n", verb.c_str(),
            deleting ? "[--trash] SRC..." : "[--system] SRC... DEST");
        return 2;
    }
    std::string destination;
    if (!deleting) {
        destination = paths.back();
        paths.pop_back();
    }
    setPrompts(nullptr);
    if (system || trash)
        return runSystem(verb, paths, destination, trash);

    TBrowser target;
    if (!deleting) {
        std::string root, folder;
        if (!isExistingFolder(destination) || !splitWindowsFolder(destination, root, folder)) {
            std::fprintf(stderr, "ovtool: %s is not an existing folder\n", destination.c_str());
            return 2;
        }
        target.OpenDisk(root, DiskKind::Standard, folder);
    }

    Totals totals;
    bool ok = true;
    // One operation, however many folders its sources come from: a name
    // made from one source is never replaced by a later one.
    const auto ledger = std::make_shared<CopyLedger>();
    std::vector<std::string> notices;
    // Sources of one folder form one selection, in the order given.
    for (std::size_t first = 0; first < paths.size();) {
        const std::string folderPath = hostParentOf(paths[first]);
        std::size_t last = first;
        while (last < paths.size() && hostParentOf(paths[last]) == folderPath)
            ++last;
        TBrowser list;
        list.ShowHidden = true;
        std::string root, folder;
        if (!splitWindowsFolder(folderPath, root, folder)) {
            std::fprintf(stderr, "ovtool: %s is on no drive\n", folderPath.c_str());
            return 2;
        }
        list.OpenDisk(root, DiskKind::Standard, folder);
        for (std::size_t i = first; i < last; ++i)
            if (!select(list, hostBaseName(paths[i]))) {
                std::fprintf(stderr, "ovtool: %s: no such file or folder\n", paths[i].c_str());
                ok = false;
            }
        wireEvents(list, events, totals);
        list.Ledger = ledger;
        if (list.SelCount > 0 && !(deleting ? list.DeleteSelected() : list.CopyTo(target, verb == "move")))
            ok = false;
        for (const std::string& failure : list.WalkFailures)
            std::fprintf(stderr, "ovtool: failed: %s\n", failure.c_str());
        for (const std::string& notice : list.WalkNotices)
            if (std::find(notices.begin(), notices.end(), notice) == notices.end())
                notices.push_back(notice);
        first = last;
    }
    for (const std::string& notice : notices)
        std::fprintf(stderr, "ovtool: note: %s\n", notice.c_str());
    if (!events) {
        if (deleting)
            std::printf("deleted %lld paths\n", static_cast<long long>(totals.deleted));
        else
            std::printf("%s %lld files, %lld bytes\n", verb == "move" ? "moved" : "copied",
                static_cast<long long>(totals.files), static_cast<long long>(totals.bytes));
    }
    return ok ? 0 : 1;
}
