// ovtool attr: changes a file's attributes and written date through the
// attributes window's calls, then prints the attribute word in hex, a tab,
// and the date as the window shows it. Exit 1 with the reason on failure.
#include "fileops/attributes.h"
#include "platform/drives.h"
#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(
        stderr, "usage: ovtool attr [+r|-r|+a|-a|+s|-s|+h|-h]... [--date \"yyyy-mm-dd hh:mm:ss\"] PATH\n");
    return 2;
}

// One attribute letter to its bit; 0 for anything else.
uint16_t bitOf(char letter)
{
    switch (letter) {
    case 'r':
        return faReadOnly;
    case 'a':
        return faArchive;
    case 's':
        return faSysFile;
    case 'h':
        return faHidden;
    default:
        return 0;
    }
}

} // namespace

int ovtoolAttr(int argc, char** argv)
{
    uint16_t set = 0;
    uint16_t clear = 0;
    bool haveDate = false;
    TSystemTime date;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() == 2 && (arg[0] == '+' || arg[0] == '-') && bitOf(arg[1])) {
            (arg[0] == '+' ? set : clear) |= bitOf(arg[1]);
        } else if (arg == "--date" && i + 1 < argc) {
            unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
            char extra = 0;
            if (std::sscanf(argv[++i], "%4u-%2u-%2u %2u:%2u:%2u%c", &year, &month, &day, &hour, &minute,
                    &second, &extra)
                    != 6
                || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59
                || second > 60) {
                std::fprintf(stderr, "ovtool attr: the date must be \"yyyy-mm-dd hh:mm:ss\"\n");
                return 2;
            }
            date.wYear = static_cast<uint16_t>(year);
            date.wMonth = static_cast<uint16_t>(month);
            date.wDay = static_cast<uint16_t>(day);
            date.wHour = static_cast<uint16_t>(hour);
            date.wMinute = static_cast<uint16_t>(minute);
            date.wSecond = static_cast<uint16_t>(second);
            haveDate = true;
        } else if (path.empty() && !arg.empty() && arg[0] != '-' && arg[0] != '+') {
            path = arg;
        } else {
            return usage();
        }
    }
    if (path.empty())
        return usage();

    // A host path is turned into the program's own form first.
    std::string windowsPath = path;
    if (path[0] == '/') {
        const auto converted = DriveTable::instance().fromHost(path);
        if (!converted) {
            std::fprintf(stderr, "ovtool attr: %s lies on no drive\n", path.c_str());
            return 1;
        }
        windowsPath = *converted;
    }
    windowsPath = normalizeWindowsPath(windowsPath);
    const auto host = DriveTable::instance().toHost(windowsPath);
    HostEntry entry;
    if (!host || !statPath(*host, entry)) {
        std::fprintf(stderr, "ovtool attr: %s: %s\n", path.c_str(),
            host ? std::strerror(errno) : "not a path on a drive");
        return 1;
    }

    if (haveDate && !setWrittenTime(*host, fromLocalTime(date))) {
        std::fprintf(
            stderr, "ovtool attr: %s: cannot set the date: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    const uint16_t word = static_cast<uint16_t>((entry.attr | set) & ~clear);
    if (WriteAttributeWord(windowsPath, entry.attr, word) == AttributeWrite::Failed) {
        std::fprintf(
            stderr, "ovtool attr: %s: %s: %s\n", path.c_str(), CannotSetAttributesText, std::strerror(errno));
        return 1;
    }
    if (!statPath(*host, entry)) {
        std::fprintf(stderr, "ovtool attr: %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    std::printf(
        "%x\t%s\n", static_cast<unsigned>(entry.attr), AttribDateText(toLocalTime(entry.written)).c_str());
    return 0;
}
