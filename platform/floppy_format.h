// Formatting a floppy disk or a floppy image with mkfs.fat.
//
// FloppyFormatter takes a target (a block device or an image file, by host
// path), a capacity, quick or full, and a volume label, and runs mkfs.fat
// from an argument list (never through a shell). What it will touch:
// - image files: a regular file whose size is 0 or a floppy size, or a file
//   not there yet; the new image is built in a temporary file beside it and
//   renamed over it only when mkfs.fat succeeded, so a failed or cancelled
//   format leaves the old image byte for byte as it was;
// - block devices of a removable disk (sysfs "removable"), not holding the
//   root and not mounted outside /media, /run/media and /mnt; a device is
//   formatted only after the caller's confirmation and after it was
//   unmounted (udisksctl where present, else umount as root).
// Everything else is refused before anything is written: a symbolic link, a
// character device, a folder, a fixed disk, an image of another size.
//
// A full format writes zeros over every sector and reads them back first;
// sectors that fail go to mkfs.fat as bad blocks. It reports progress and
// stops at Cancel() between chunks. The checks read a sysfs tree and a
// mountinfo text given as parameters, so tests run them on fakes.
//
// Messages come back as a key of the language section Format with its
// arguments; formatText() words them (English texts built in).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ov {

// Floppy sizes in KiB, smallest first.
inline constexpr int FloppySizesKb[] = { 160, 180, 320, 360, 720, 1200, 1440, 2880 };
bool isFloppySizeKb(std::uint64_t kb);

// The layout of a floppy of one size, as DOS formatted it.
struct FloppyGeometry {
    int kb;
    int heads;
    int sectorsPerTrack;
    int media; // the media descriptor byte
    int sectorsPerCluster;
    int rootEntries;
};
// The geometry of a floppy size; nullptr for other sizes.
const FloppyGeometry* floppyGeometry(int kb);

enum class FormatKind { Quick, Full };

enum class TargetKind { None, Image, Device };

// A message of the language section Format: its key and the values of its
// %1, %2 ... placeholders.
struct FormatMessage {
    std::string key;
    std::vector<std::string> args;
    bool empty() const { return key.empty(); }
};

// Words a message: text(key) gives the template (the English one of
// englishFormatText when text is empty); %1.. are replaced by the args.
std::string formatText(
    const FormatMessage& message, const std::function<std::string(const std::string& key)>& text = {});
// The English template of a key of section Format; "" for an unknown key.
std::string englishFormatText(const std::string& key);
// Every key of section Format (for the language-file checks).
const std::vector<std::string>& formatTextKeys();

// One mount from /proc/self/mountinfo.
struct MountEntry {
    unsigned major = 0, minor = 0;
    std::string mountPoint; // unescaped (\040 -> space)
    std::string source;
};
// Parses mountinfo text; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(const std::string& text);
// The running system's /proc/self/mountinfo ("" when unreadable).
std::string readMountInfo();

// What the checks found out about a target.
struct TargetFacts {
    TargetKind kind = TargetKind::None;
    FormatMessage refusal; // empty when the target may be formatted
    std::uint64_t sizeBytes = 0; // the image's or the device's size
    std::string model; // the device's model (sysfs), trimmed
    std::vector<std::string> mountPoints; // where the device (or its partitions) is mounted
};

// Checks a target as the formatter will: lstat only, nothing opened for
// writing. sysfsRoot is normally "/sys", mountInfo the text of
// /proc/self/mountinfo.
TargetFacts checkFormatTarget(
    const std::string& hostPath, const std::string& sysfsRoot, const std::string& mountInfo);

// The argv that unmounts a device: udisksctl when installed, else umount
// when running as root; empty when neither can be used.
std::vector<std::string> unmountCommand(const std::string& device, bool haveUdisksctl, bool isRoot);

// The host path of the first program of that name on PATH, then in /usr/sbin
// and /sbin; "" when there is none.
std::string findProgram(const std::string& name);

// What the user asked for.
struct FormatRequest {
    std::string target; // host path of the device or image
    int capacityKb = 0; // 0: the device's size, the image's size, 1440 for a new image
    FormatKind kind = FormatKind::Quick;
    std::string label; // up to 11 characters; "" for none
    bool systemFiles = false; // a bootable format was asked for (formats full, says why no system files)
};

enum class FormatStatus { Done, Refused, Failed, Cancelled };

struct FormatSummary {
    FormatStatus status = FormatStatus::Failed;
    FormatMessage message; // the summary or the reason
    FormatMessage note; // a second line (the system-files note), may be empty
    int capacityKb = 0;
    std::uint64_t badSectors = 0;
    std::string toolOutput; // what mkfs.fat printed
};

class FloppyFormatter {
public:
    static constexpr unsigned SectorSize = 512;

    std::string SysfsRoot = "/sys";
    // The mountinfo text to check against; empty reads the system's.
    std::string MountInfo;
    // Called with the sectors done of the zero pass and their total, and
    // once with the key of the step that starts (Progress_Making ...).
    std::function<void(std::uint64_t done, std::uint64_t total)> OnProgress;
    std::function<void(const FormatMessage& step)> OnStep;
    // Asked before a device is touched; false stops with "cancelled". The
    // caller asks the user twice (the second time naming the device, its
    // model and size). Unset: devices are refused.
    std::function<bool(const std::string& device, const TargetFacts& facts)> OnConfirmDevice;
    // Test seam: a sector the zero pass should treat as failing.
    std::function<bool(std::uint64_t sector)> SectorFails;

    // Runs the whole format. Never reports Done unless mkfs.fat succeeded.
    FormatSummary Format(const FormatRequest& request);
    // Asks a running format to stop at the next chunk (any thread).
    void Cancel() { m_cancel = true; }
    bool Cancelled() const { return m_cancel; }

    // The mkfs.fat arguments after the program name: FAT12 and the DOS
    // geometry for floppy sizes, the label, the bad-block list, the target and its size in KiB
    // (0: the whole device).
    static std::vector<std::string> mkfsArguments(
        const std::string& target, int capacityKb, const std::string& label, const std::string& badBlockFile);

private:
    std::atomic<bool> m_cancel { false };
};

// Runs argv (argv[0] a full path) and waits; output gets stdout and stderr.
// Returns the exit status, -1 when it could not be started or was killed.
int runProgramWaiting(const std::vector<std::string>& argv, std::string& output);

} // namespace ov
