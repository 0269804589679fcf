// ovtool find: the file list's find walk from the command line. Prints every
// hit as the find window lists it (drive root, folder, name), one per line,
// in walk order.
//
//   ovtool find [--drive] MASKS PATH
//
// PATH is a folder, as "ovtool ls" takes it (a host path or "c:\..."); the
// walk starts there, or at its drive's root with --drive. A PATH through an
// archive a panel enters ("c:\dir\pack.zip\docs") searches that archive's
// table from that folder, or from the archive's top with --drive; the hits
// read as the find window shows them (archive path, "\", member path).
#include "panel/browser.h"
#include "platform/drives.h"

#if defined(OV_CMD_arc_panel) && defined(OV_CMD_attr)
#include "fileops/folder_history.h"
#include "panel/arc_disk.h"
#define OV_FIND_IN_ARCHIVES 1
#endif

#include <cstdio>
#include <string>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: ovtool find [--drive] MASKS PATH\n");
    return 2;
}

} // namespace

int ovtoolFind(int argc, char** argv)
{
    bool wholeDrive = false;
    std::string masks;
    std::string path;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--drive")
            wholeDrive = true;
        else if (positional == 0 && ++positional)
            masks = arg;
        else if (positional == 1 && ++positional)
            path = arg;
        else
            return usage();
    }
    if (positional != 2 || masks.empty() || path.empty())
        return usage();

    std::string windowsPath = path;
    if (path[0] == '/') {
        const auto converted = DriveTable::instance().fromHost(path);
        if (!converted) {
            std::fprintf(stderr, "ovtool find: %s lies on no drive\n", path.c_str());
            return 1;
        }
        windowsPath = *converted;
    }
    windowsPath = normalizeWindowsPath(windowsPath);
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !DriveTable::instance().find(windowsPath[0])
        || !DriveTable::instance().toHost(windowsPath)) {
        std::fprintf(stderr, "ovtool find: %s is not a path on a drive\n", path.c_str());
        return 1;
    }
    if (windowsPath.size() == 2)
        windowsPath += '\\';
    std::string folder = windowsPath.substr(3);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';

    TBrowser list;
    std::string start = wholeDrive ? std::string() : folder;
    bool inArchive = false;
#ifdef OV_FIND_IN_ARCHIVES
    const ArchivePlace place = ArchivePlaceOf(windowsPath);
    if (!place.archive.empty()) {
        installArchiveDisk([](const std::string& fn, const std::string&, int32_t code) {
            std::fprintf(stderr, "ovtool find: %s: archive error %d\n", fn.c_str(), code);
        });
        list.OpenDisk(windowsPath.substr(0, 3), DiskKind::Standard, place.holder.substr(3));
        list.PushDisk(place.archive, DiskKind::Archive, place.folder);
        if (list.DiskKind != DiskKind::Archive) {
            std::fprintf(stderr, "ovtool find: %s cannot be read\n", place.archive.c_str());
            return 1;
        }
        start = wholeDrive ? std::string() : place.folder;
        inArchive = true;
    }
#endif
    if (!inArchive)
        list.OpenDisk(windowsPath.substr(0, 3), DiskKind::Standard, folder);
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::string line;
    list.OnFindFile = [&line](TBrowser& sender, const std::string& inFolder, const std::string& name) {
        line = sender.FullFolder(inFolder);
        line += name;
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    };
    list.FindFiles(start, masks);
    std::fflush(stdout);
    return 0;
}
