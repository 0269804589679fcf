// ARC and PAK headers (SEA's ARC format notes): 1A, method, 13-byte name,
// packed size (15), date (19), time (21), CRC-16 (23), unpacked size (25);
// method 1 headers stop before the unpacked size (25 bytes). 1A 00 ends the
// archive. ARC's method 30 opens a folder (its record has no data) and 31
// closes it (two bytes). Lister and extractor both walk it.
#pragma once

#include "archive/formats/header_cursor.h"

#include <cstdint>
#include <string>

namespace ov {

struct ArcHeader {
    int64_t headerAt = 0;
    uint8_t method = 0;
    // The current folder and the stored name, "/" separated.
    std::string storedName;
    int64_t packedSize = 0;
    int64_t unpackedSize = 0;
    // ARC stores the date before the time; here the halves are in DOS order.
    uint32_t dosTime = 0;
    uint16_t crc = 0;
    int64_t dataAt = 0;
    bool folder = false; // a method-30 record: the members after it are inside
};

class ArcReader {
public:
    // `pak`: PAK archives have no folder records.
    ArcReader(FileLayer& file, int64_t dataOffset, bool pak);

    // The next member or folder record; false at the end, with ended()
    // Marker at 1A 00, Cut when the file ends where a header is due or
    // inside one (DataCut inside the last member's data), Damaged when a
    // header does not start with 1A.
    bool next(ArcHeader& header);

    WalkEnd ended() const { return m_cursor.ended(); }
    bool incomplete() const { return m_cursor.incomplete(); }

private:
    HeaderCursor m_cursor;
    bool m_pak;
    std::string m_folder; // "/" terminated when not empty
};

} // namespace ov
