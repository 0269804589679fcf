// BH (BlakHole) directory: 37-byte headers with the signature 42 48 05 07,
// a 16-bit header size, versions, flags, method, DOS date-time, sizes,
// CRC-32, attributes and the name length at 33; the name follows the fixed
// part and the packed data follows the name.
#include "archive/listing_run.h"

#include "archive/bytes.h"

namespace ov {

namespace {

std::string bhMethodName(uint8_t method)
{
    switch (method) {
    case 0:
        return "Stored";
    case 1:
        return "Fused";
    case 2:
        return "Deflate";
    default:
        return "Unknown";
    }
}

} // namespace

void ListingRun::listBh()
{
    TArchiveLister& l = lister;
    int64_t position = l.DataOffset();
    uint8_t h[37];
    std::string stored;
    while (keepGoing()) {
        if (!fits(position, 37) || !read(position, h, sizeof h) || le32(h) != 0x07054842 || le16(h + 4) == 0)
            break;
        const uint16_t nameLength = le16(h + 33);
        stored.resize(nameLength);
        if (!read(position + 37, stored.data(), nameLength))
            break;
        const int64_t packed = le32(h + 15);
        l.clearEntry();
        l.VersionMadeBy = h[7];
        l.VersionNeeded = h[8];
        l.Encrypted = h[9] & 1;
        l.MethodNumber = h[10];
        l.MethodName = bhMethodName(h[10]);
        l.FileDate = l.DosDateToDateTime(le32(h + 11));
        l.PackedSize = packed;
        l.UnpackedSize = le32(h + 19);
        l.Crc = le32(h + 23);
        l.ExternalAttr = le16(h + 27);
        const bool folder = l.ExternalAttr & 0x10;
        l.FileName = name(stored, NameEncoding::Oem);
        report(position, folder);
        const int64_t next = position + 37 + nameLength + packed;
        if (!isForward(position, next))
            break;
        position = next;
    }
}

} // namespace ov
