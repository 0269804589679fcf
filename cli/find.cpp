// ovtool find: the file list's find walk from the command line. Prints every
// hit as the find window lists it (drive root, folder, name), one per line,
// in walk order.
//
//   ovtool find [--drive] MASKS PATH
//
// PATH is a folder, as "ovtool ls" takes it (a host path or "c:\..."); the
// walk starts there, or at its drive's root with --drive.
#include "panel/browser.h"
#include "platform/drives.h"

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
    list.FindFiles(wholeDrive ? std::string() : folder, masks);
    std::fflush(stdout);
    return 0;
}
