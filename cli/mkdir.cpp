// ovtool mkdir FOLDER NAME and ovtool mkfile FOLDER NAME: the create-folder
// and create-file windows' rules, FOLDER standing for the active panel's
// folder. On failure the window's error text and exit 1.
#include "fileops/create_entry.h"
#include "panel/browser.h"
#include "platform/drives.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace ov;

int ovtoolMkdir(int argc, char** argv)
{
    const bool file = std::strcmp(argv[0], "mkfile") == 0;
    if (argc != 3) {
        std::fprintf(stderr, "usage: ovtool %s FOLDER NAME\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder[0] == '/') {
        const auto converted = DriveTable::instance().fromHost(folder);
        if (!converted) {
            std::fprintf(stderr, "ovtool %s: %s lies on no drive\n", argv[0], argv[1]);
            return 1;
        }
        folder = *converted;
    }
    folder = normalizeWindowsPath(folder);
    if (folder.size() < 2 || folder[1] != ':' || !DriveTable::instance().find(folder[0])) {
        std::fprintf(stderr, "ovtool %s: %s is not a path on a drive\n", argv[0], argv[1]);
        return 1;
    }
    std::string inner = folder.size() > 3 ? folder.substr(3) : std::string();
    if (!inner.empty() && inner.back() != '\\')
        inner += '\\';
    TBrowser list;
    list.OpenDisk(folder.substr(0, 2) + "\\", DiskKind::Standard, inner);

    if (file) {
        if (CreateFileFromText(list, argv[2]) == CreateFileOutcome::Failed) {
            std::fprintf(stderr, "%s\n", CannotCreateFileText);
            return 1;
        }
        return 0;
    }
    const MakeFolderOutcome outcome = MakeFolderFromText(list, argv[2]);
    if (!outcome.made) {
        std::fprintf(stderr, "%s\n", outcome.error.c_str());
        return 1;
    }
    return 0;
}
