// Listing folders and reading file facts on the host, in the vocabulary the
// rest of the program speaks: DOS attributes, 64-bit sizes and local
// calendar times.
//
// Listings use opendir/readdir and statx relative to the folder, never
// following a link; names come back sorted byte-wise so the "reading order"
// is the same on every run and file system. Attributes:
//   0x10 folder; 0x01 read-only when a file's owner has no write bit;
//   0x02 hidden for a leading "." or the stored bit; 0x04 system and 0x20
//   archive from the stored DOS attribute (extended attribute
//   user.DOSATTRIB, its hex text "0x20" or the binary record SMB servers
//   write); 0x400 for a symbolic link, with 0x10 too in a full listing when
//   it leads to a folder (its kind stays SymLink: walks never descend through
//   it; the facts are the link's own). FIFOs, sockets and devices list with
//   size 0. Created is the birth time where the file system keeps one, else
//   the change time.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace ov {

enum : uint16_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faSymLink = 0x400,
    faAnyFile = 0x3F,
};

// Eight 16-bit fields of a calendar time, as the file lists keep it.
struct TSystemTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
    friend bool operator==(const TSystemTime&, const TSystemTime&) = default;
};

// The kind of a host file beyond its attributes.
enum class HostKind : uint8_t { Regular, Directory, SymLink, Other };

struct HostEntry {
    std::string name; // the host name, raw bytes
    int64_t size = 0;
    timespec created {};
    timespec accessed {};
    timespec written {};
    uint16_t attr = 0;
    HostKind kind = HostKind::Regular;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t mode = 0;
};

// What a listing reads for each name: everything; or the kind, size, mode,
// device and inode only (walks that copy or measure never look at times or
// the stored attributes, and skip a system call per name); or, for a walk
// that needs names and kinds only (find), the name and the kind the folder
// itself records, with device, inode and mode read for folders alone (a
// file then costs no system call of its own; its size and mode read 0).
enum class ListFacts { All, Basic, Names };

// Lists hostFolder into entries (cleared first), sorted byte-wise by name,
// without "." and "..". False, with no entries, when the folder cannot be
// opened. Entries that vanish while being read are left out.
bool listFolder(
    const std::string& hostFolder, std::vector<HostEntry>& entries, ListFacts facts = ListFacts::All);

// While one of these lives, listings of the same folder and facts that run
// at the same time (on several threads) are read once and shared.
class SharedListings {
public:
    SharedListings();
    ~SharedListings();
    SharedListings(const SharedListings&) = delete;
    SharedListings& operator=(const SharedListings&) = delete;
};

// A listing read elsewhere (on a worker, so that a slow or hung folder never
// holds up the window) handed to the listing that follows on this thread:
// while one of these lives, the first listFolder of that folder with those
// facts on the creating thread takes it instead of reading again.
class OfferedListing {
public:
    OfferedListing(
        const std::string& hostFolder, ListFacts facts, bool listed, std::vector<HostEntry> entries);
    ~OfferedListing();
    OfferedListing(const OfferedListing&) = delete;
    OfferedListing& operator=(const OfferedListing&) = delete;
    // Gives the listing to a matching call once; false when none is offered.
    static bool take(
        const std::string& hostFolder, ListFacts facts, bool& listed, std::vector<HostEntry>& entries);

private:
    std::string m_folder;
    ListFacts m_facts;
    bool m_listed;
    bool m_taken = false;
    std::vector<HostEntry> m_entries;
    OfferedListing* m_previous;
};

// A test seam: called with the host folder at the start of every listing
// read from the disk (on the thread that reads it). nullptr removes it.
void setListingHook(std::function<void(const std::string& hostFolder)> hook);

// Facts of one path, without following a final link. False when it is missing.
bool statPath(const std::string& hostPath, HostEntry& entry);

// Converts a host time to local calendar time.
TSystemTime toLocalTime(const timespec& time);

// The stored DOS attribute bits of a path (0 when none are stored or the file
// system keeps no extended attributes).
uint16_t readStoredDosAttributes(const std::string& hostPath);
// Stores the DOS attribute bits in their hex-text form. False when the file
// system refuses; callers that merely carry attributes along may ignore it.
bool writeStoredDosAttributes(const std::string& hostPath, uint16_t attr);

// Parses the value of user.DOSATTRIB: hex text or the binary record.
uint16_t parseDosAttributeValue(const unsigned char* data, std::size_t size);

// Changes the four DOS attribute bits of a path to those of attr (other bits
// of attr are ignored), without following a final link. Read-only is the
// owner's write bit of a file: setting it clears every write bit, clearing
// it adds the owner's; a folder's mode is never touched. Hidden, system and
// archive are stored in user.DOSATTRIB; a name starting with "." stays
// hidden whatever attr says, and its stored hidden bit is left as it was.
// Nothing is written where nothing changes. False, with errno set, when the
// path is missing or the file system refuses a change.
bool setAttributes(const std::string& hostPath, uint16_t attr);

// Sets the written (modification) time of a path to the second and
// nanosecond given, without following a final link; the access time stays.
bool setWrittenTime(const std::string& hostPath, const timespec& written);

// Local calendar time -> host time (seconds); the inverse of toLocalTime.
// wDayOfWeek is ignored, wMilliseconds kept.
timespec fromLocalTime(const TSystemTime& local);

// Creates an empty file with one exclusive open that does not follow a
// link: an existing name (also a dangling link) is never opened, truncated
// or written. False, with errno set, when the file was not created.
bool createEmptyFile(const std::string& hostPath);

// True for proc, sysfs and the other kernel file systems that walks skip.
bool isPseudoFileSystem(const std::string& hostPath);

} // namespace ov
