#include "shell/drive_bar_engine.h"

#include "panel/drive_facts.h"

#include <algorithm>

namespace ov {

std::string driveKindName(DriveType type)
{
    switch (type) {
    case DriveType::Removable:
        return "floppy";
    case DriveType::Fixed:
        return "hdd";
    case DriveType::Remote:
        return "network";
    case DriveType::CdRom:
        return "cdrom";
    default:
        return std::string();
    }
}

DriveType driveKindType(const std::string& kind)
{
    for (const DriveType type :
        { DriveType::Removable, DriveType::Fixed, DriveType::Remote, DriveType::CdRom })
        if (driveKindName(type) == kind)
            return type;
    return DriveType::Unknown;
}

DriveButtonList hotDriveButtons(const std::vector<Drive>& drives)
{
    std::vector<Drive> sorted = drives;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const Drive& a, const Drive& b) { return lowerAscii(a.letter) < lowerAscii(b.letter); });
    DriveButtonList list;
    char last = 0;
    for (const Drive& drive : sorted) {
        const char letter = lowerAscii(drive.letter);
        // One button per letter: a table naming a letter twice means its
        // first entry, as every lookup does.
        if (letter < 'a' || letter > 'z' || letter == last)
            continue;
        last = letter;
        std::string kind = driveKindName(drive.type);
        if (kind.empty())
            continue;
        list.letters.push_back(letter);
        list.kinds.push_back(std::move(kind));
    }
    return list;
}

int driveBarWidth(int count)
{
    return 6 + DriveButtonWidth * std::max(count, 0);
}

int driveButtonAt(int x)
{
    // Integer ceiling of (x + 1) / 25 that also holds left of the bar.
    const int a = x + 1;
    return a > 0 ? (a + DriveButtonWidth - 1) / DriveButtonWidth : -(-a / DriveButtonWidth);
}

int drivePictureLeft(int index)
{
    return 4 + DriveButtonWidth * (index - 1);
}

std::string driveVolumeText(char letter, DriveType type, const std::string& label)
{
    if (type == DriveType::Removable)
        return "[Floppy]";
    if (type == DriveType::CdRom)
        return "[CD-ROM]";
    return VolumeLabel(letter, label);
}

std::string driveHintText(char letter, DriveType type, const std::string& label)
{
    return std::string(1, letter) + ": " + driveVolumeText(letter, type, label);
}

} // namespace ov
