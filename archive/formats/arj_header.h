// ARJ headers (ARJ's technical notes): 60 EA, a 16-bit basic header size,
// the basic header (its first byte the size of the fixed part, then the name
// and the comment, each up to a zero byte), its CRC-32, and extended headers
// (size, data, CRC-32) until a zero size. A basic header size of 0 ends the
// archive. Lister and extractor both walk it, one volume at a time.
#pragma once

#include "archive/bytes.h"
#include "archive/formats/header_cursor.h"
#include "archive/names.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ov {

struct ArjHeader {
    static constexpr uint8_t FlagGarbled = 0x01;
    static constexpr uint8_t FlagVolume = 0x04; // continued in the next volume
    static constexpr uint8_t FlagExtFile = 0x08; // starts in an earlier volume
    static constexpr uint8_t HostUnix = 2;
    static constexpr uint8_t TypeBinary = 0;
    static constexpr uint8_t TypeText = 1;
    static constexpr uint8_t TypeFolder = 3;

    int64_t headerAt = 0;
    std::vector<uint8_t> basic; // the basic header, at least the 30-byte fixed part
    bool crcMatches = false; // the basic header's CRC-32 is right
    std::string storedName;
    int64_t dataAt = 0; // after the extended headers

    uint8_t version() const { return basic[1]; }
    uint8_t needed() const { return basic[2]; }
    uint8_t host() const { return basic[3]; }
    uint8_t flags() const { return basic[4]; }
    uint8_t method() const { return basic[5]; }
    uint8_t type() const { return basic[6]; }
    uint32_t stamp() const { return le32(basic.data() + 8); }
    uint32_t packed() const { return le32(basic.data() + 12); }
    uint32_t unpacked() const { return le32(basic.data() + 16); }
    uint32_t crc() const { return le32(basic.data() + 20); }
    uint16_t mode() const { return le16(basic.data() + 26); }

    bool folder() const { return type() == TypeFolder; }
    // ARJ for Unix stores UTF-8 names (when valid) and Unix times.
    bool unixHost() const { return host() == HostUnix; }
    NameEncoding nameEncoding() const { return unixHost() ? NameEncoding::Utf8IfValid : NameEncoding::Oem; }
    // The DOS attribute bits, 0x10 set for folders.
    uint16_t dosAttributes() const { return folder() ? mode() | 0x10 : mode(); }
};

class ArjReader {
public:
    explicit ArjReader(FileLayer& file);

    // Finds the main header: 60 EA and a basic header whose CRC-32 matches,
    // within 25000 bytes from `from` (a self-extractor's stub comes first).
    // False when there is none; else the walk starts after it.
    bool openMain(int64_t from, ArjHeader& main);

    // The next file header; false at the end, with ended() Marker at the
    // zero-size header, Cut when the file ends where a header is due or
    // inside one (DataCut inside the last member's data), Damaged for a
    // wrong identifier or size. A header whose CRC-32 is wrong is returned
    // with crcMatches false.
    bool next(ArjHeader& header);

    WalkEnd ended() const { return m_cursor.ended(); }
    bool incomplete() const { return m_cursor.incomplete(); }

private:
    // Reads the header at the cursor's position (no end or CRC decision).
    bool read(ArjHeader& header, bool& endMarker);

    HeaderCursor m_cursor;
};

} // namespace ov
