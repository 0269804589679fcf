// ovtool drives: the drive window's rows, one per line: row text, tab,
// "ready" or "not ready" (the window's bounded test), tab, host folder.
// ovtool drives --bar: the drive bars' buttons, one per line: letter, tab,
// kind name, tab, hint text, with labels asked as the bars ask them (a
// network drive that does not answer in time has no label).
#include "fileops/drive_info_rows.h"
#include "panel/drive_facts.h"
#ifdef OV_HAVE_DRIVE_BAR
#include "shell/drive_bar_engine.h"
#endif

#include <cstdio>
#include <cstring>

using namespace ov;

namespace {

int driveBarLines()
{
#ifdef OV_HAVE_DRIVE_BAR
    const DriveButtonList buttons = hotDriveButtons(DriveTable::instance().drives());
    DriveFactsCache facts;
    for (int i = 0; i < buttons.count(); ++i) {
        const char letter = buttons.letters[static_cast<std::size_t>(i)];
        const std::string& kind = buttons.kinds[static_cast<std::size_t>(i)];
        const DriveType type = driveKindType(kind);
        std::string label;
        if (type != DriveType::Removable && type != DriveType::CdRom)
            label = facts.label(letter).value_or(std::string());
        std::printf("%c\t%s\t%s\n", letter, kind.c_str(), driveHintText(letter, type, label).c_str());
    }
    return 0;
#else
    std::fprintf(stderr, "ovtool drives: --bar is not part of this build\n");
    return 2;
#endif
}

} // namespace

int ovtoolDrives(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--bar") == 0)
        return driveBarLines();
    if (argc != 1) {
        std::fprintf(stderr, "usage: ovtool drives [--bar]\n");
        return 2;
    }
    for (const DriveRow& row : driveRows()) {
        const bool ready = driveReadyWithin(row.letter, remoteDriveTimeout);
        std::printf("%s\t%s\t%s\n", row.text.c_str(), ready ? "ready" : "not ready", row.hostRoot.c_str());
    }
    return 0;
}
