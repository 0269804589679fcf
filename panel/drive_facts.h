// Facts about drives and memory that the panel shows: readiness, free and
// total space, volume label and serial number, and the memory figures of the
// information mode. The host is asked through platform/volumes.
//
// A remote drive is never asked in a way that can hang the window: its
// questions run on a helper thread and the answer is awaited for a short
// time only; a drive that does not answer in time counts as not ready (or
// gives no figures). The helper thread finishes on its own whenever the
// mount answers.
#pragma once

#include "platform/volumes.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace ov {

struct VolumeFacts {
    std::string label; // as the system reports it; empty when it has none
    std::string serial; // "1A2B:3C4D"; empty when the query failed
};

// How long a remote drive may take to answer.
constexpr std::chrono::milliseconds remoteDriveTimeout { 300 };

// True when the drive letter is mapped to a folder that exists.
bool driveReady(char letter);
// Free and total bytes of the drive's file system.
DiskSpace driveSpace(char letter);
// Label and serial number of the volume that holds the drive's root.
VolumeFacts volumeFacts(char letter);
// memoryStatus() and parseMemInfo() come from platform/volumes.h.

// The label as the information mode shows it: "No-name" when empty,
// upper-cased (lower-cased when letter is lower case) with its first
// character upper-cased, in brackets: "[DATA]".
std::string VolumeLabel(char letter, const std::string& label);
// A volume serial as eight hex digits "1A2B:3C4D" from a file system UUID
// or FAT serial text ("1a2b-3c4d", "01234567-89ab-..."); empty when the
// text has fewer than eight hex digits.
std::string serialFromUuid(const std::string& uuid);

} // namespace ov
