// ZOO directory (zoo 2.1's format notes): a 34-byte-plus archive header
// whose first-entry offset and its negation check each other, then 58-byte
// directory entries chained by their next-entry offsets. Entries of type 2
// carry a variable part: long-name length (56), folder length (57), then the
// long name and the folder.
#include "archive/listing_run.h"

#include "archive/bytes.h"

#include <cstring>

namespace ov {

namespace {

constexpr uint32_t zooTag = 0xFDC4A7DC;

std::string zooMethodName(uint8_t method)
{
    switch (method) {
    case 0:
        return "Stored";
    case 1:
        return "Fastest";
    case 2:
        return "Greatest";
    default:
        return "Unknown";
    }
}

} // namespace

void ListingRun::listZoo()
{
    TArchiveLister& l = lister;
    uint8_t header[42];
    const int64_t base = l.DataOffset();
    if (!read(base, header, sizeof header) || le32(header + 20) != zooTag)
        return;
    const uint32_t start = le32(header + 24);
    const uint32_t minus = le32(header + 28);
    if (static_cast<uint32_t>(start + minus) != 0)
        return;

    int64_t position = base + start;
    int64_t previous = -1;
    uint8_t e[58];
    while (keepGoing()) {
        if (position <= previous || !fits(position, 58) || !read(position, e, 58) || le32(e) != zooTag)
            break;
        const int64_t next = le32(e + 6);
        // The last entry of the chain is an empty terminator.
        if (next < 1)
            break;
        std::string stored(
            reinterpret_cast<const char*>(e + 38), strnlen(reinterpret_cast<const char*>(e + 38), 13));
        std::string folder;
        if (e[4] == 2) {
            const uint8_t longLength = e[56];
            const uint8_t folderLength = e[57];
            std::string longName(longLength, '\0');
            folder.assign(folderLength, '\0');
            if (!read(position + 58, longName.data(), longLength)
                || !read(position + 58 + longLength, folder.data(), folderLength))
                break;
            longName.resize(strnlen(longName.c_str(), longName.size()));
            folder.resize(strnlen(folder.c_str(), folder.size()));
            if (!longName.empty())
                stored = longName;
        }
        l.clearEntry();
        l.MethodNumber = e[5];
        l.MethodName = zooMethodName(e[5]);
        l.FileDate = l.DosDateToDateTime(uint32_t(le16(e + 14)) << 16 | le16(e + 16));
        l.Crc = le16(e + 18);
        l.UnpackedSize = le32(e + 20);
        l.PackedSize = le32(e + 24);
        l.VersionMadeBy = e[28];
        l.VersionNeeded = e[29];
        l.ExternalAttr = 0x20;
        if (!folder.empty() && folder.back() != '/')
            folder += '/';
        l.FileName = name(folder + stored, NameEncoding::Utf8IfValid);
        report(position, false);

        previous = position;
        const int64_t target = base + next;
        if (!isForward(position, target))
            break;
        position = target;
    }
}

} // namespace ov
