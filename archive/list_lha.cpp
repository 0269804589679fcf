// LHA/LZH listing: the entry fields of each header that the shared header
// reader (formats/lha_header.h) walks.
#include "archive/listing_run.h"

#include "archive/formats/lha_header.h"
#include "archive/messages.h"

namespace ov {

namespace {

std::string lhaMethodName(char method, bool folder)
{
    if (folder)
        return "Dir";
    if (method == '0')
        return "Stored";
    if (method >= '1' && method <= '6')
        return std::string("Frozen-") + method;
    return "Unknown";
}

} // namespace

void ListingRun::listLha()
{
    TArchiveLister& l = lister;
    LhaReader reader(*m_file, l.DataOffset());
    LhaHeader header;
    while (keepGoing() && reader.next(header)) {
        const bool folder = header.folder();
        l.clearEntry();
        l.PackedSize = header.packedSize;
        l.UnpackedSize = header.unpackedSize;
        l.FileDate = header.level == 2 ? l.UnixToDateTime(header.stamp) : l.DosDateToDateTime(header.stamp);
        l.Crc = header.crc;
        l.MethodNumber = static_cast<uint8_t>(header.method[3]);
        l.MethodName = lhaMethodName(header.method[3], folder);
        l.ExternalAttr = header.dosAttributes();
        l.FileName = name(header.storedName, header.nameEncoding());
        report(header.headerAt, folder);
    }
    // The archive ends before its end byte: members may be missing.
    if (reader.incomplete())
        l.nonFatal(msgBadFileHeader, volumePath);
}

} // namespace ov
