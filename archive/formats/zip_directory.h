// The ZIP directory (PKWARE APPNOTE 4.3): the end-of-directory record in the
// last 32 KB, its Zip64 record through the locator, the 46-byte central
// records with their names, Zip64 sizes and offsets, and the 30-byte local
// header in front of each member's data. Lister and extractor both walk it.
//
// Offsets read from the archive are turned into file positions here: the
// program's ZIP offset (a self-extractor found through its resources) is
// added, and so is the length of bytes glued in front of an archive whose
// offsets were not adjusted (a stub copied before it).
//
// Not read here: multi-disk sets, the central directory's digital signature
// and encryption, the member comments.
#pragma once

#include "archive/formats/header_cursor.h"
#include "archive/names.h"

#include <cstdint>
#include <map>
#include <string>

namespace ov {

struct ZipEntry {
    int64_t recordAt = 0; // the central record
    uint8_t versionMadeBy = 0;
    uint8_t hostSystem = 0;
    uint8_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosTime = 0;
    uint32_t crc = 0;
    int64_t packedSize = 0;
    int64_t unpackedSize = 0;
    uint32_t externalAttributes = 0;
    int64_t localHeaderAt = 0; // file position of the local header
    std::string storedName;

    bool encrypted() const { return flags & 1; }
    // DOS folder bit, a Unix folder mode, or a name ending in "/".
    bool folder() const;
    bool volumeLabel() const { return externalAttributes & 0x08; }
    // A Unix host keeps the file type in the high half of the attributes.
    bool link() const;
    // Flagged UTF-8 (bit 11), or from a Unix host and valid UTF-8, else OEM.
    NameEncoding nameEncoding() const;
    // The DOS attribute bits, 0x10 set for every kind of folder.
    uint16_t dosAttributes() const;
};

struct ZipLocalHeader {
    uint32_t dosTime = 0;
    int64_t dataAt = 0; // after the local name and extra field
};

class ZipDirectory {
public:
    enum class Opened {
        Ok,
        NoEndRecord, // no end-of-directory record in the last 32 KB
        Empty, // the end record declares no members
        BadFirstRecord, // no central record where the directory should start
    };

    // `programOffset`: added to every stored offset (0 for a plain archive).
    ZipDirectory(FileLayer& file, int64_t programOffset);

    Opened open();
    // The next central record; false at the end of the directory, with
    // ended() Marker when the declared count was reached, Damaged when a
    // record is missing before it, Cut when a record runs past the file.
    bool next(ZipEntry& entry);
    // The local header of `entry`: false when its signature is wrong or it
    // runs past the file.
    bool readLocal(const ZipEntry& entry, ZipLocalHeader& local);

    WalkEnd ended() const { return m_cursor.ended(); }
    bool incomplete() const { return m_cursor.incomplete(); }
    int64_t declaredCount() const { return m_declared; }

private:
    HeaderCursor m_cursor;
    int64_t m_programOffset;
    int64_t m_shift = 0; // bytes glued in front of an unadjusted archive
    int64_t m_declared = 0;
    int64_t m_walked = 0;
};

// The file ranges (local header to the end of the packed data) of the
// members taken so far: a member whose range overlaps one taken earlier is
// refused, so one stretch of data is never written twice.
class ZipDataRanges {
public:
    // Takes [from, to); false when it overlaps a range taken before.
    bool claim(int64_t from, int64_t to);

private:
    std::map<int64_t, int64_t> m_taken; // start → end
};

} // namespace ov
