// The drive bars without a window: which drives get a button, which button
// lies under the mouse, and the text of the hint box.
#pragma once

#include "platform/drives.h"

#include <string>
#include <vector>

namespace ov {

// A drive button is 25 x 25; a bar is 6 pixels wider than its buttons.
constexpr int DriveButtonWidth = 25;
constexpr int DriveButtonHeight = 25;
constexpr int DriveBarHeight = 30;

// The buttons both bars show, one per drive: lower-case letters and kind
// names ("floppy", "hdd", "network", "cdrom").
struct DriveButtonList {
    std::vector<char> letters;
    std::vector<std::string> kinds;
    int count() const { return static_cast<int>(letters.size()); }
};

// The kind name of a drive type; "" for the types that get no button (no
// drive, RAM disk, unknown).
std::string driveKindName(DriveType type);
// The type a kind name stands for (Unknown for "").
DriveType driveKindType(const std::string& kind);

// The buttons of a drive table: its removable, fixed, remote and CD-ROM
// drives in letter order.
DriveButtonList hotDriveButtons(const std::vector<Drive>& drives);

// Width of a bar holding count buttons: 6 + 25 per button.
int driveBarWidth(int count);

// The 1-based button under x: ceil((x + 1) / 25). Note that this is one
// pixel off the painted buttons (button i is drawn from 4 + 25 (i - 1)): the
// bar has always measured it so.
int driveButtonAt(int x);

// Left edge of the picture of the 1-based button index.
int drivePictureLeft(int index);

// The volume text of a drive: "[Floppy]" for a removable drive, "[CD-ROM]"
// for a CD-ROM drive, else its label as the panel's information shows it
// ("[System]", "[No-name]" without one).
std::string driveVolumeText(char letter, DriveType type, const std::string& label);
// The hint: letter, ": ", the volume text ("c: [System]").
std::string driveHintText(char letter, DriveType type, const std::string& label);

} // namespace ov
