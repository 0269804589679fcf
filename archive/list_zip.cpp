// ZIP listing: the entry fields of each central record that the shared
// directory reader (formats/zip_directory.h) walks.
#include "archive/listing_run.h"

#include "archive/formats/zip_directory.h"
#include "archive/messages.h"

#include <cstdint>

namespace ov {

namespace {

std::string zipMethodName(uint16_t method, uint16_t flags, bool folder)
{
    switch (method) {
    case 0:
        return "Stored";
    case 1:
        return "Shrunk";
    case 2:
    case 3:
    case 4:
    case 5:
        return "Reduce-" + std::to_string(method - 1);
    case 6:
        return "Imploded";
    case 7:
        return "Tokened";
    case 8: {
        static const char* const variants[] = { "DeflateN", "DeflateX", "DeflateF", "DeflateS" };
        return variants[(flags >> 1) & 3];
    }
    default:
        return folder ? "Dir" : "Unknown";
    }
}

} // namespace

void ListingRun::listZip()
{
    TArchiveLister& l = lister;
    ZipDirectory directory(*m_file, l.ZipOffset());
    switch (directory.open()) {
    case ZipDirectory::Opened::Ok:
        break;
    case ZipDirectory::Opened::Empty:
        l.nonFatal(msgBadFileHeader, volumePath);
        return;
    case ZipDirectory::Opened::NoEndRecord:
    case ZipDirectory::Opened::BadFirstRecord:
        l.nonFatal(msgHeaderIdError, volumePath);
        return;
    }

    ZipEntry entry;
    while (keepGoing() && directory.next(entry)) {
        l.clearEntry();
        l.VersionMadeBy = entry.versionMadeBy;
        l.VersionNeeded = entry.versionNeeded;
        l.Encrypted = entry.encrypted();
        l.MethodNumber = entry.method;
        l.FileDate = l.DosDateToDateTime(entry.dosTime);
        l.Crc = entry.crc;
        l.PackedSize = entry.packedSize;
        l.UnpackedSize = entry.unpackedSize;
        l.ExternalAttr = entry.dosAttributes();
        l.FileName = name(entry.storedName, entry.nameEncoding());
        while (!l.FileName.empty() && l.FileName.back() == '\\')
            l.FileName.pop_back();
        const bool folder = entry.folder();
        l.MethodName = zipMethodName(l.MethodNumber, entry.flags, folder);
        report(entry.localHeaderAt, folder);
    }
    // A directory that ends before its declared count lost members; one
    // report covers that and a directory with nothing to show.
    if (directory.incomplete() || reported == 0)
        l.nonFatal(msgBadFileHeader, volumePath);
}

} // namespace ov
