// ARJ directory (ARJ's technical notes): every header is 60 EA, a 16-bit
// basic header size, the basic header whose first byte gives the length of
// its fixed part (names start there, so headers from any ARJ version read
// alike), a CRC-32, and a chain of extended headers ended by a zero size.
// Members split over volumes are followed into the next volume and
// reported once with the summed sizes.
#include "archive/listing_run.h"

#include "archive/bytes.h"
#include "archive/messages.h"

#include <cstring>
#include <vector>

namespace ov {

namespace {

constexpr std::size_t maxBasicHeader = 2600;
constexpr uint8_t flagGarbled = 0x01;
constexpr uint8_t flagVolume = 0x04;
constexpr uint8_t hostUnix = 2;
constexpr uint8_t typeFolder = 3;

struct ArjHeader {
    int64_t start = 0;
    std::vector<uint8_t> basic; // the basic header (from the first-header size byte)
    std::string name;
    int64_t dataStart = 0;      // after the extended headers
    uint8_t flags() const { return basic[4]; }
    uint32_t packed() const { return le32(basic.data() + 12); }
    uint32_t unpacked() const { return le32(basic.data() + 16); }
};

std::string arjMethodName(uint8_t method, bool folder)
{
    static const char* const names[] = { "Stored", "Most", "2nd Most", "2nd Fast", "Fastest" };
    if (method < 5)
        return names[method];
    return folder ? "Dir" : "Unknown";
}

} // namespace

namespace {

// Reads the header at `position`; false when no valid header is there.
bool readArjHeader(ListingRun& run, int64_t position, ArjHeader& header)
{
    uint8_t id[4];
    if (!run.read(position, id, 4) || id[0] != 0x60 || id[1] != 0xEA)
        return false;
    const std::size_t basicSize = le16(id + 2);
    if (basicSize == 0 || basicSize > maxBasicHeader || basicSize < 30)
        return false;
    header.start = position;
    header.basic.resize(basicSize);
    if (!run.read(position + 4, header.basic.data(), basicSize))
        return false;
    const std::size_t firstSize = header.basic[0];
    if (firstSize < 30 || firstSize > basicSize)
        return false;
    // Name and comment follow the fixed part, each up to a zero byte.
    const auto* names = reinterpret_cast<const char*>(header.basic.data() + firstSize);
    const std::size_t namesLength = basicSize - firstSize;
    const std::size_t nameLength = strnlen(names, namesLength);
    header.name.assign(names, nameLength);
    // The CRC-32, then extended headers until a zero size.
    int64_t at = position + 4 + static_cast<int64_t>(basicSize) + 4;
    for (int count = 0;; ++count) {
        uint8_t sizeBytes[2];
        if (count > 64 || !run.read(at, sizeBytes, 2))
            return false;
        const uint16_t extendedSize = le16(sizeBytes);
        at += 2;
        if (extendedSize == 0)
            break;
        at += extendedSize + 4;
    }
    header.dataStart = at;
    return true;
}

} // namespace

void ListingRun::listArj()
{
    TArchiveLister& l = lister;
    ArjHeader main;
    if (!readArjHeader(*this, l.DataOffset(), main))
        return;
    const bool multiVolume = main.flags() & flagVolume;
    l.prepareVolumeNaming(l.ArchiveFile(), true);

    int64_t position = main.dataStart;
    ArjHeader header;
    while (keepGoing()) {
        if (!fits(position, 34) || !readArjHeader(*this, position, header))
            break;
        const uint8_t* b = header.basic.data();
        const bool folder = b[6] == typeFolder;
        l.clearEntry();
        l.VersionMadeBy = b[1];
        l.VersionNeeded = b[2];
        l.Encrypted = header.flags() & flagGarbled;
        l.MethodNumber = b[5];
        // ARJ for Unix stores the modification time as Unix time.
        l.FileDate = b[3] == hostUnix ? l.UnixToDateTime(le32(b + 8)) : l.DosDateToDateTime(le32(b + 8));
        l.PackedSize = header.packed();
        l.UnpackedSize = header.unpacked();
        l.Crc = le32(b + 20);
        l.ExternalAttr = le16(b + 26);
        if (folder)
            l.ExternalAttr |= 0x10;
        l.FileName = name(header.name, b[3] == hostUnix ? NameEncoding::Utf8IfValid : NameEncoding::Oem);
        l.MethodName = arjMethodName(b[5], folder);
        const std::string startVolume = TArchiveCommon::fileNamePart(volumePath);
        const int64_t memberOffset = header.start;
        int64_t next = header.dataStart + header.packed();

        // A member continued in the next volume: follow it to its last part.
        uint8_t flags = header.flags();
        bool complete = true;
        while (flags & flagVolume) {
            std::string nextPath = l.nextVolumeName(volumePath);
            if (!l.fileStore().exists(nextPath)
                && !l.requestNextVolume(nextPath, std::to_string(l.volumeNumber() - 1))) {
                complete = false;
                break;
            }
            if (!switchVolume(nextPath)) {
                complete = false;
                break;
            }
            ArjHeader volumeMain;
            ArjHeader part;
            if (!readArjHeader(*this, l.DataOffset(), volumeMain)
                && !readArjHeader(*this, 0, volumeMain)) {
                complete = false;
                break;
            }
            if (!readArjHeader(*this, volumeMain.dataStart, part)) {
                complete = false;
                break;
            }
            l.PackedSize += part.packed();
            l.UnpackedSize += part.unpacked();
            flags = part.flags();
            next = part.dataStart + part.packed();
            position = -1; // a fresh volume: any position ahead is forward
        }
        if (!complete)
            break;
        if (multiVolume)
            l.VolumeName = startVolume;
        report(memberOffset, folder);
        if (!isForward(position, next))
            break;
        position = next;
    }
}

} // namespace ov
