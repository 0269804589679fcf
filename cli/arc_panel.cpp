// ovtool arc ls: one folder of an archive exactly as a file panel lists it.
//
//   ovtool arc ls [--hidden] [--sort name|ext|size|date|none] ARCHIVE [FOLDER]
//
// FOLDER uses "\" or "/" (empty: the top). The lines are those of
// `ovtool ls`: full name, size, written date and time, attributes in hex,
// tab-separated, ".." first. Each message the panel would show in a box goes
// to stderr as "ovtool arc: error CODE: TEXT (NAMES)"; the exit status is 1
// when there was one, or when the folder is not in the archive, else 0.
#include "archive/messages.h"
#include "cli/ls.h"
#include "panel/arc_disk.h"
#include "platform/drives.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(
        stderr, "usage: ovtool arc ls [--hidden] [--sort name|ext|size|date|none] ARCHIVE [FOLDER]\n");
    return 2;
}

// A host path or a drive path to the program's form ("c:\dir\x.zip").
std::string drivePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return DriveTable::instance().fromHost(path).value_or(std::string());
    const std::string windows = normalizeWindowsPath(path);
    if (windows.size() < 3 || windows[1] != ':' || !DriveTable::instance().find(windows[0]))
        return std::string();
    return windows;
}

// FOLDER as the list keeps it: "\" separators, none in front, one at the end.
std::string listFolder(std::string folder)
{
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    while (!folder.empty() && folder.front() == '\\')
        folder.erase(folder.begin());
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

} // namespace

int ovtoolArcLs(int argc, char** argv)
{
    // argv[0] is "arc", argv[1] "ls".
    int sortMode = srName;
    bool hidden = false;
    std::string archive;
    std::string folder;
    int positional = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hidden") {
            hidden = true;
        } else if (arg == "--sort" && i + 1 < argc) {
            if (!lsSortMode(argv[++i], sortMode))
                return usage();
        } else if (positional == 0 && !arg.empty() && arg[0] != '-') {
            archive = arg;
            ++positional;
        } else if (positional == 1) {
            folder = arg;
            ++positional;
        } else {
            return usage();
        }
    }
    if (archive.empty())
        return usage();
    const std::string path = drivePath(archive);
    const auto slash = path.find_last_of('\\');
    if (path.empty() || slash == std::string::npos) {
        std::fprintf(stderr, "ovtool arc ls: %s is not a path on a drive\n", archive.c_str());
        return 1;
    }

    int messages = 0;
    installArchiveDisk([&messages](const std::string& fn, const std::string&, int32_t code) {
        ++messages;
        std::string names = fn;
        for (char& c : names)
            if (c == '\r')
                c = ' ';
        std::fprintf(stderr, "ovtool arc: error %d: %s (%s)\n", code,
            std::string(archiveMessageText(code)).c_str(), names.c_str());
    });
    TBrowser list;
    list.SortMode = sortMode;
    list.ShowHidden = hidden;
    list.DirsFirst = true;
    list.ExecFirst = true;
    list.OpenDisk(path.substr(0, 3), DiskKind::Standard, path.substr(3, slash + 1 - 3));
    list.PushDisk(path, DiskKind::Archive, listFolder(folder));
    if (list.DiskKind != DiskKind::Archive)
        return 1;
    if (!list.Folder.empty()) {
        Entry probe;
        if (!list.Disk->FindFirst(list.Folder, probe)) {
            int64_t bytes = 0;
            std::vector<std::string> subFolders;
            if (!list.Disk->ListSizes(list.Folder, bytes, subFolders)) {
                std::fprintf(stderr, "ovtool arc ls: no folder %s in %s\n", folder.c_str(), archive.c_str());
                return 1;
            }
        }
    }
    const std::string out = lsLines(list);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return messages > 0 ? 1 : 0;
}
