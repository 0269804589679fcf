// LHA/LZH headers, levels 0, 1 and 2 (the LHa for UNIX header notes): a
// 22-byte common start (size, method text at 2, packed size at 7, unpacked
// size at 11, time at 15, attribute at 19, level at 20); levels 0 and 1
// follow with the name and the CRC-16, level 2 with the CRC-16 at 21. Levels
// 1 and 2 end with a chain of extended headers: type byte, data, 16-bit size
// of the next one (1 the name, 2 the folder, 0x40 the DOS attribute, 0x50
// the Unix mode, 0x54 the Unix time). Lister and extractor both walk it.
//
// Not read here: level 3 headers (the walk ends there), header CRCs.
#pragma once

#include "archive/formats/header_cursor.h"
#include "archive/names.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ov {

struct LhaHeader {
    int64_t headerAt = 0;
    std::string method; // five characters, such as "-lh5-"
    int64_t packedSize = 0; // the member's data; extended headers not counted
    int64_t unpackedSize = 0;
    uint32_t stamp = 0; // DOS date-time (levels 0 and 1) or Unix time (level 2)
    uint8_t level = 0;
    uint16_t crc = 0;
    uint8_t system = 0; // the system identifier, 0 when the header has none
    uint8_t attribute = 0; // header byte 19
    std::optional<uint16_t> dosAttribute;
    std::optional<uint16_t> unixMode;
    std::optional<uint32_t> unixTime;
    // The folder and the name, "/" separated: "/" and 0xFF separate folders
    // (not in the second byte of a double-byte character), the folder text
    // is trimmed of blanks and control characters at both ends.
    std::string storedName;
    int64_t dataAt = 0;

    bool folder() const { return method == "-lhd-"; }
    NameEncoding nameEncoding() const
    {
        return system == 'U' ? NameEncoding::Utf8IfValid : NameEncoding::Oem;
    }
    // The DOS attribute: the extended header's when there is one (where
    // level-2 headers keep it), else header byte 19; 0x10 for folders.
    uint16_t dosAttributes() const;
    // The member is read-only: by the Unix mode when stored, else DOS bit 0.
    bool readOnly() const;
};

class LhaReader {
public:
    // `dataOffset`: where detection found the first header (128 bytes later
    // when the byte there is 0 and a header follows: a MacBinary prefix).
    LhaReader(FileLayer& file, int64_t dataOffset);

    // The next header; false at the end, with ended() Marker at the end
    // byte (or a header level this reader does not know), Cut when the file
    // ends where a header is due or inside one, Damaged for a header whose
    // sizes contradict each other.
    bool next(LhaHeader& header);

    WalkEnd ended() const { return m_cursor.ended(); }
    bool incomplete() const { return m_cursor.incomplete(); }

private:
    bool read(LhaHeader& header);

    HeaderCursor m_cursor;
    bool m_first = true;
};

} // namespace ov
