// ovtool drives: the drive window's rows, one per line: row text, tab,
// "ready" or "not ready" (the window's bounded test), tab, host folder.
#include "fileops/drive_info_rows.h"
#include "panel/drive_facts.h"

#include <cstdio>

using namespace ov;

int ovtoolDrives(int argc, char**)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: ovtool drives\n");
        return 2;
    }
    for (const DriveRow& row : driveRows()) {
        const bool ready = driveReadyWithin(row.letter, remoteDriveTimeout);
        std::printf("%s\t%s\t%s\n", row.text.c_str(), ready ? "ready" : "not ready", row.hostRoot.c_str());
    }
    return 0;
}
