// What the drive window and the "About system" window show, without a
// window: the drive rows of the drive table, a readiness test that never
// waits longer than its bound, and the label/value rows of the system
// facts.
#pragma once

#include "platform/drives.h"
#include "platform/system_facts.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ov {

struct DriveRow {
    char letter = 'c';
    DriveType type = DriveType::Fixed;
    std::string text; // "c: [System]", "a: [Removable]", ...
    std::string hostRoot;
};

// A drive's row text: letter + ": [Removable]", ": [Network]", ": [CD-ROM]",
// or for a fixed drive its volume label with only the first letter upper
// case ("[No-name]" without one). "" for types the window does not list.
std::string driveRowText(char letter, DriveType type, const std::string& label);

// Rows of every removable, fixed, remote and CD-ROM drive of the table, a
// to z. label gives a fixed drive's volume label (default: the volume's,
// asked through the drive facts).
std::vector<DriveRow> driveRows(const std::function<std::string(char)>& label = {});

// True when the drive is ready: its size can be read. The probe (default:
// the drive facts' readiness and space) runs on a helper thread; an answer
// later than bound counts as not ready, so a dead network mount never
// holds up the window. A late probe finishes on its own.
bool driveReadyWithin(
    char letter, std::chrono::milliseconds bound, const std::function<bool(char)>& probe = {});

// The label/value rows of "About system", English labels.
// currentDriveTotal: the active panel's drive size in bytes; video: the
// screen's "1024x768x16777216" ("" when there is no screen).
std::vector<std::pair<std::string, std::string>> systemInfoRows(const SystemFacts& facts,
    int64_t currentDriveTotal, const std::string& video, const std::string& bytesWord = "bytes");

} // namespace ov
