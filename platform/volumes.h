// Facts the host gives about file systems and memory: the free and total
// space of the file system holding a folder, the names udev gives its block
// device (label, UUID), and the memory and swap figures of /proc/meminfo.
// Each call asks the system directly and may wait on a slow mount: callers
// that must not hang (a remote drive) ask from a helper thread.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

struct DiskSpace {
    bool known = false;
    int64_t freeBytes = 0; // available to an unprivileged user
    int64_t totalBytes = 0;
};

struct MemoryStatus {
    bool known = false;
    int64_t totalPhysical = 0;
    int64_t availablePhysical = 0;
    int64_t totalPageFile = 0;
    int64_t availablePageFile = 0;
};

// The names of a block device's links under /dev/disk, udev's "\x20"
// escapes undone; empty where it has none.
struct VolumeNames {
    std::string label;
    std::string uuid;
};

// Free and total bytes of the file system that holds hostPath; known is
// false when it cannot be asked.
DiskSpace volumeSpace(const std::string& hostPath);
// The label and UUID of the block device that holds hostPath.
VolumeNames volumeNames(const std::string& hostPath);
// Physical memory and swap, from /proc/meminfo.
MemoryStatus memoryStatus();
// Parses the text of /proc/meminfo; known when MemTotal and MemAvailable
// were both there.
MemoryStatus parseMemInfo(const std::string& text);

} // namespace ov
