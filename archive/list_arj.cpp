// ARJ listing: the entry fields of each header that the shared header
// reader (formats/arj_header.h) walks. Members split over volumes are
// followed into the next volume and reported once with the summed sizes.
#include "archive/listing_run.h"

#include "archive/formats/arj_header.h"
#include "archive/messages.h"

#include <memory>

namespace ov {

namespace {

std::string arjMethodName(uint8_t method, bool folder)
{
    static const char* const names[] = { "Stored", "Most", "2nd Most", "2nd Fast", "Fastest" };
    if (method < 5)
        return names[method];
    return folder ? "Dir" : "Unknown";
}

} // namespace

void ListingRun::listArj()
{
    TArchiveLister& l = lister;
    auto reader = std::make_unique<ArjReader>(*m_file);
    ArjHeader main;
    if (!reader->openMain(l.DataOffset(), main))
        return;
    const bool multiVolume = main.flags() & ArjHeader::FlagVolume;
    l.prepareVolumeNaming(l.ArchiveFile(), true);

    ArjHeader header;
    bool lost = false; // a volume of a split member could not be followed
    while (keepGoing() && reader->next(header)) {
        const bool folder = header.folder();
        l.clearEntry();
        l.VersionMadeBy = header.version();
        l.VersionNeeded = header.needed();
        l.Encrypted = header.flags() & ArjHeader::FlagGarbled;
        l.MethodNumber = header.method();
        l.FileDate
            = header.unixHost() ? l.UnixToDateTime(header.stamp()) : l.DosDateToDateTime(header.stamp());
        l.PackedSize = header.packed();
        l.UnpackedSize = header.unpacked();
        l.Crc = header.crc();
        l.ExternalAttr = header.dosAttributes();
        if (header.unixHost())
            l.UnixMode = TArchiveCommon::typedUnixMode(header.mode(), folder);
        l.FileName = name(header.storedName, header.nameEncoding());
        l.MethodName = arjMethodName(header.method(), folder);
        const std::string startVolume = TArchiveCommon::fileNamePart(volumePath);
        const int64_t memberOffset = header.headerAt;

        // A member continued in the next volume: follow it to its last part.
        uint8_t flags = header.flags();
        while (flags & ArjHeader::FlagVolume) {
            std::string nextPath = l.nextVolumeName(volumePath);
            if (!l.fileStore().exists(nextPath)
                && !l.requestNextVolume(nextPath, std::to_string(l.volumeNumber() - 1))) {
                lost = true;
                break;
            }
            if (!switchVolume(nextPath)) {
                lost = true;
                break;
            }
            reader = std::make_unique<ArjReader>(*m_file);
            ArjHeader volumeMain;
            ArjHeader part;
            if (!reader->openMain(0, volumeMain) || !reader->next(part)) {
                lost = true;
                break;
            }
            l.PackedSize += part.packed();
            l.UnpackedSize += part.unpacked();
            flags = part.flags();
        }
        if (lost)
            break;
        if (multiVolume)
            l.VolumeName = startVolume;
        report(memberOffset, folder);
    }
    // The archive ends before its end header: members may be missing.
    if (!lost && reader->incomplete())
        l.nonFatal(msgBadFileHeader, volumePath);
}

} // namespace ov
