// ARC and PAK directory (SEA's ARC format notes): 29-byte headers of 1A,
// method, 13-byte name, packed size, date, time, CRC-16 and unpacked size;
// method 1 headers are 25 bytes (no unpacked size). ARC's methods 30 and 31
// open and close a folder.
#include "archive/listing_run.h"

#include "archive/bytes.h"

#include <cstring>

namespace ov {

namespace {

constexpr uint8_t methodFolder = 30;
constexpr uint8_t methodFolderEnd = 31;

std::string arcMethodName(uint8_t method)
{
    switch (method) {
    case 1:
    case 2:
        return "Stored";
    case 3:
        return "Packed";
    case 4:
        return "Squeezed";
    case 5:
    case 6:
    case 7:
        return "crunched";
    case 8:
        return "Crunched";
    case 9:
        return "Squashed";
    case 10:
        return "Pack10";
    case 11:
        return "Pack11";
    case 12:
        return "Pack12";
    case methodFolder:
        return "Dir";
    default:
        return "Unknown";
    }
}

std::string pakMethodName(uint8_t method)
{
    switch (method) {
    case 1:
    case 2:
        return "Stored";
    case 3:
        return "RLE";
    case 4:
        return "Squeezed";
    case 5:
    case 6:
    case 7:
        return "FIXEDLEN";
    case 8:
    case 9:
        return "VARIBLE";
    case 10:
        return "Crushed";
    case 11:
        return "Distill";
    default:
        return "Unknown";
    }
}

} // namespace

void ListingRun::listArc(bool pak)
{
    TArchiveLister& l = lister;
    std::string folder;
    int64_t position = l.DataOffset();
    uint8_t h[29];
    while (keepGoing()) {
        if (!fits(position, 2) || !read(position, h, 2) || h[0] != 0x1A || h[1] == 0)
            break;
        const uint8_t method = h[1];
        if (!pak && method == methodFolderEnd) {
            const auto slash = folder.find_last_of('/', folder.size() >= 2 ? folder.size() - 2 : 0);
            folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
            if (!isForward(position, position + 2))
                break;
            position += 2;
            continue;
        }
        const int64_t headerSize = method == 1 ? 25 : 29;
        if (!fits(position, headerSize) || !read(position, h, static_cast<std::size_t>(headerSize)))
            break;
        const std::string stored(reinterpret_cast<const char*>(h + 2), strnlen(reinterpret_cast<const char*>(h + 2), 13));
        const int64_t packed = le32(h + 15);
        const bool isFolder = !pak && method == methodFolder;

        l.clearEntry();
        l.PackedSize = isFolder ? 0 : packed;
        l.UnpackedSize = isFolder ? 0 : (method == 1 ? packed : le32(h + 25));
        // Date before time: swap the halves into DOS order.
        l.FileDate = l.DosDateToDateTime(uint32_t(le16(h + 19)) << 16 | le16(h + 21));
        l.Crc = le16(h + 23);
        l.MethodNumber = method;
        l.MethodName = pak ? pakMethodName(method) : arcMethodName(method);
        l.ExternalAttr = isFolder ? 0x10 : 0x20;
        const std::string full = folder + stored;
        l.FileName = name(full, NameEncoding::Oem);
        report(position, isFolder);

        int64_t next = position + headerSize + packed;
        if (isFolder) {
            folder = full + "/";
            next = position + headerSize;
        }
        if (!isForward(position, next))
            break;
        position = next;
    }
}

} // namespace ov
