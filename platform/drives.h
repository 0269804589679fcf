// Drive letters and Windows-style paths over the host file system.
//
// Inside the program every path is Windows-style ("c:\dir\file.txt"); only
// this layer knows the host path behind it. A drive table maps the letters
// a..z to host folders:
//   - c: is "/", h: the user's home when that letter is free;
//   - mounted removable and network media (under /media, /run/media, /mnt)
//     take free letters from d: on, with their drive type;
//   - section [Drives] of ov.ini (C=/, H=/home/ann) overrides single letters;
//   - ORVANTA_DRIVES ("c=/tmp/x;d=/tmp/y") replaces the whole table (tests).
// A mapped folder may name its type after a "|" ("d=/media/cd|cdrom";
// removable, fixed, remote, cdrom, ramdisk); otherwise it is fixed.
// A letter whose folder is missing is "not ready".
//
// Host names are UTF-8 bytes. A "\" inside a host name would split the name
// when the path is taken apart again, so it is carried inside the program as
// U+F05C (a private-use character) and turned back on the way out. So that
// the mapping stays one to one, a U+F05C or U+F05D the host name holds
// itself is carried with U+F05D in front of it: host -> inner -> host is
// the identity, and two host names never share an inner name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

class IniFile;

// The drive types the platform reports (the values of GetDriveType).
enum class DriveType : int {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

struct Drive {
    char letter = 'c'; // lower case
    std::string hostRoot; // host folder, without a trailing "/" unless it is "/"
    DriveType type = DriveType::Fixed;
};

class DriveTable {
public:
    // The process-wide table, built on first use from the defaults and
    // ORVANTA_DRIVES.
    static DriveTable& instance();

    // Builds the default table (or ORVANTA_DRIVES when set).
    void reset();
    // Applies section [Drives] of ov.ini over the current table (ignored
    // when ORVANTA_DRIVES is set: the environment is the stronger word).
    void applyIni(const IniFile& ini);
    // Replaces the table; tests and tools.
    void setDrives(std::vector<Drive> drives);

    const std::vector<Drive>& drives() const { return m_drives; }
    const Drive* find(char letter) const;
    // True when the drive is mapped and its folder exists. This is a plain
    // stat, which a dead network mount can hold up: the window asks through
    // panel/drive_facts.h, which bounds the wait for remote drives.
    bool isReady(char letter) const;
    DriveType typeOf(char letter) const;

    // "c:\dir\file.txt" -> "/dir/file.txt"; nullopt when the path has no
    // mapped drive letter or leaves its drive with "..".
    std::optional<std::string> toHost(std::string_view windowsPath) const;
    // Host path -> Windows path on the drive whose root holds it most
    // closely; nullopt when no drive holds it.
    std::optional<std::string> fromHost(std::string_view hostPath) const;

private:
    DriveTable();
    std::vector<Drive> m_drives;
    bool m_fromEnvironment = false;
};

// One host file name <-> one name inside the program.
std::string hostNameToInner(std::string_view hostName);
std::string innerNameToHost(std::string_view innerName);

// Upper-cases a..z only (the folding the file lists use).
std::string upperAscii(std::string_view text);
char lowerAscii(char c);

// Normalises a Windows-style path: "/" becomes "\", doubled "\" collapse, the
// drive letter is lower-cased. A path without a drive letter is returned as is.
std::string normalizeWindowsPath(std::string_view path);

} // namespace ov
