// ARC and PAK listing: the entry fields of each header that the shared
// header reader (formats/arc_header.h) walks.
#include "archive/listing_run.h"

#include "archive/formats/arc_header.h"
#include "archive/messages.h"

namespace ov {

namespace {

constexpr uint8_t methodFolder = 30;

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
    ArcReader reader(*m_file, l.DataOffset(), pak);
    ArcHeader header;
    while (keepGoing() && reader.next(header)) {
        l.clearEntry();
        l.PackedSize = header.packedSize;
        l.UnpackedSize = header.unpackedSize;
        l.FileDate = l.DosDateToDateTime(header.dosTime);
        l.Crc = header.crc;
        l.MethodNumber = header.method;
        l.MethodName = pak ? pakMethodName(header.method) : arcMethodName(header.method);
        l.ExternalAttr = header.folder ? 0x10 : 0x20;
        l.FileName = name(header.storedName, NameEncoding::Oem);
        report(header.headerAt, header.folder);
    }
    // The archive ends before its end marker: members may be missing.
    if (reader.incomplete())
        l.nonFatal(msgBadFileHeader, volumePath);
}

} // namespace ov
