// ovtool sysinfo [PATH]: the "About system" rows, label, tab, value per
// line; the current drive is PATH's drive (a host path or "c:\..."),
// c: by default. There is no screen here, so the video mode is empty.
#include "fileops/drive_info_rows.h"
#include "panel/drive_facts.h"

#include <cstdio>
#include <string>

using namespace ov;

int ovtoolSysinfo(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: ovtool sysinfo [PATH]\n");
        return 2;
    }
    char letter = 'c';
    if (argc == 2) {
        const std::string path = argv[1];
        std::string windowsPath = path;
        if (!path.empty() && path[0] == '/') {
            const auto converted = DriveTable::instance().fromHost(path);
            windowsPath = converted ? *converted : std::string();
        }
        windowsPath = normalizeWindowsPath(windowsPath);
        if (windowsPath.size() < 2 || windowsPath[1] != ':' || !DriveTable::instance().find(windowsPath[0])) {
            std::fprintf(stderr, "ovtool sysinfo: %s is not a path on a drive\n", path.c_str());
            return 1;
        }
        letter = windowsPath[0];
    }
    const DiskSpace space = driveSpace(letter);
    for (const auto& [label, value] :
        systemInfoRows(readSystemFacts(), space.known ? space.totalBytes : 0, std::string()))
        std::printf("%s\t%s\n", label.c_str(), value.c_str());
    return 0;
}
