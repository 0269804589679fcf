// ovtool ls: prints a folder's entries in the order the file list gives them,
// one line each, tab-separated: full name, size in bytes, written date and
// time (yyyy-mm-dd hh:mm:ss), attributes in hex. As in the panels,
// executables come first unless --no-exec-first is given.
#include "cli/ls.h"

#include "platform/drives.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ov;

bool lsSortMode(const std::string& name, int& sortMode)
{
    static const struct {
        const char* name;
        int mode;
    } modes[] = { { "name", srName }, { "ext", srExt }, { "size", srSize }, { "date", srDate },
        { "none", srNone } };
    for (const auto& mode : modes)
        if (name == mode.name) {
            sortMode = mode.mode;
            return true;
        }
    return false;
}

std::string lsLines(const TBrowser& list)
{
    std::string out;
    for (const Entry& entry : list.Entries) {
        char line[96];
        const TSystemTime& t = entry.Written;
        std::snprintf(line, sizeof line, "\t%lld\t%04u-%02u-%02u %02u:%02u:%02u\t%x\n",
            static_cast<long long>(entry.Size), t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
            entry.Attr);
        out += entry.FullName;
        out += line;
    }
    return out;
}

int ovtoolLs(int argc, char** argv)
{
    int sortMode = srName;
    bool hidden = false;
    bool execFirst = true;
    std::string mask = "*.*";
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sort" && i + 1 < argc) {
            const std::string mode = argv[++i];
            if (!lsSortMode(mode, sortMode)) {
                std::fprintf(stderr, "ovtool ls: unknown sort mode '%s' (name, ext, size, date, none)\n",
                    mode.c_str());
                return 2;
            }
        } else if (arg == "--hidden") {
            hidden = true;
        } else if (arg == "--no-exec-first") {
            execFirst = false;
        } else if (arg == "--mask" && i + 1 < argc) {
            mask = argv[++i];
        } else if (path.empty() && (arg.empty() || arg[0] != '-' || arg == "-")) {
            path = arg;
        } else {
            std::fprintf(stderr,
                "usage: ovtool ls [--sort name|ext|size|date|none] [--hidden] [--no-exec-first] [--mask M] "
                "PATH\n");
            return 2;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr,
            "usage: ovtool ls [--sort name|ext|size|date|none] [--hidden] [--no-exec-first] [--mask M] "
            "PATH\n");
        return 2;
    }
    // A host path is turned into the program's own form first.
    std::string windowsPath = path;
    if (!path.empty() && path[0] == '/') {
        const auto converted = DriveTable::instance().fromHost(path);
        if (!converted) {
            std::fprintf(stderr, "ovtool ls: %s lies on no drive\n", path.c_str());
            return 1;
        }
        windowsPath = *converted;
    }
    windowsPath = normalizeWindowsPath(windowsPath);
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !DriveTable::instance().find(windowsPath[0])) {
        std::fprintf(stderr, "ovtool ls: %s is not a path on a drive\n", path.c_str());
        return 1;
    }
    std::string folder = windowsPath.size() > 3 ? windowsPath.substr(3) : std::string();
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const auto host = DriveTable::instance().toHost(windowsPath);
    if (!host) {
        std::fprintf(stderr, "ovtool ls: %s is not a path on a drive\n", path.c_str());
        return 1;
    }

    TBrowser list;
    list.SortMode = sortMode;
    list.ShowHidden = hidden;
    list.Mask = mask;
    list.DirsFirst = true;
    list.ExecFirst = execFirst;
    list.OpenDisk(windowsPath.substr(0, 3), DiskKind::Standard, folder);
    const std::string out = lsLines(list);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
