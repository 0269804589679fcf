// RAR 1.5 to 4.x directory (RARLAB's technote for these versions): the
// 7-byte marker, the archive header (type 0x73), then blocks of CRC, type,
// flags and header size, with a 32-bit added-data size when flag 0x8000 is
// set. File headers (0x74) carry the member; a member split over volumes
// is followed into the next volume and reported from its last part.
#include "archive/listing_run.h"

#include "archive/bytes.h"
#include "archive/messages.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

constexpr uint8_t blockArchive = 0x73;
constexpr uint8_t blockFile = 0x74;
constexpr uint8_t blockEnd = 0x7B;
constexpr uint16_t flagSplitBefore = 0x0001;
constexpr uint16_t flagSplitAfter = 0x0002;
constexpr uint16_t flagEncrypted = 0x0004;
constexpr uint16_t flagLarge = 0x0100;
constexpr uint16_t flagUnicode = 0x0200;
constexpr uint16_t flagFolderMask = 0x00E0;
constexpr uint16_t flagSkipIfUnknown = 0x4000;
constexpr uint16_t flagLongBlock = 0x8000;
constexpr uint16_t archiveVolume = 0x0001;
constexpr uint16_t archiveNewNaming = 0x0010;
constexpr uint8_t hostUnix = 3;

std::string rarMethodName(uint8_t method, bool folder)
{
    switch (method) {
    case '0':
        return "Stored";
    case '1':
        return "Fastest";
    case '2':
        return "Fast";
    case '3':
        return "Normal";
    case '4':
        return "Good";
    case '5':
        return "Best";
    default:
        return folder ? "Dir" : "Unknown";
    }
}

// "name.part01.rar" → "name.part02.rar" (same width); empty when `path`
// does not follow that pattern.
std::string nextPartName(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    auto digitsEnd = dot;
    auto digitsStart = digitsEnd;
    while (digitsStart > 0 && path[digitsStart - 1] >= '0' && path[digitsStart - 1] <= '9')
        --digitsStart;
    if (digitsStart == digitsEnd || digitsStart < 5 || path.compare(digitsStart - 5, 5, ".part") != 0)
        return {};
    std::string digits = path.substr(digitsStart, digitsEnd - digitsStart);
    int carry = 1;
    for (auto it = digits.rbegin(); it != digits.rend() && carry; ++it) {
        if (*it == '9') {
            *it = '0';
        } else {
            ++*it;
            carry = 0;
        }
    }
    if (carry)
        digits.insert(digits.begin(), '1');
    return path.substr(0, digitsStart) + digits + path.substr(digitsEnd);
}

} // namespace

void ListingRun::listRar()
{
    TArchiveLister& l = lister;
    // Marker, then the archive header; a comment inside it is passed by its size.
    uint8_t h[32];
    const int64_t base = l.DataOffset();
    if (!read(base, h, 7) || !(h[0] == 'R' && h[1] == 'a' && h[2] == 'r' && h[3] == '!')) {
        l.nonFatal(msgBadFileHeader, volumePath);
        return;
    }
    if (!read(base + 7, h, 13))
        l.fatal(msgErrorReading, volumePath);
    if (h[2] != blockArchive) {
        // RAR 5 and damaged archives: nothing this reader can walk.
        l.nonFatal(msgBadFileHeader, volumePath);
        return;
    }
    const uint16_t archiveFlags = le16(h + 3);
    const int64_t archiveHeaderSize = std::max<int64_t>(le16(h + 5), 13);
    l.prepareVolumeNaming(l.ArchiveFile(), false);
    const bool volumeSet = archiveFlags & archiveVolume;
    const bool newNaming = archiveFlags & archiveNewNaming;

    int64_t position = base + 7 + archiveHeaderSize;
    int64_t packedSum = 0;
    bool continuing = false;
    std::string stored;
    while (keepGoing()) {
        const bool atEnd = !fits(position, 7) || !read(position, h, 7);
        const uint8_t type = atEnd ? blockEnd : h[2];
        const uint16_t flags = atEnd ? 0 : le16(h + 3);
        const int64_t headerSize = atEnd ? 0 : le16(h + 5);
        if (headerSize < 7 || type == blockEnd) {
            // The end of a volume whose last member continues: go on in the
            // next volume.
            if (continuing) {
                std::string nextPath = newNaming ? nextPartName(volumePath) : std::string();
                if (nextPath.empty())
                    nextPath = l.nextVolumeName(volumePath);
                if (!l.fileStore().exists(nextPath)
                    && !l.requestNextVolume(nextPath, std::to_string(l.volumeNumber() - 1)))
                    break;
                if (!switchVolume(nextPath))
                    break;
                uint8_t marker[20];
                if (!read(0, marker, 20))
                    l.fatal(msgErrorReading, volumePath);
                position = 7 + std::max<int64_t>(le16(marker + 12), 13);
                continue;
            }
            break;
        }
        int64_t added = 0;
        if (flags & flagLongBlock) {
            uint8_t size4[4];
            if (!read(position + 7, size4, 4))
                break;
            added = le32(size4);
        }
        int64_t next = position + headerSize + added;
        if (type == blockFile && headerSize >= 32 && !(flags & flagSkipIfUnknown)) {
            if (!read(position, h, 32))
                break;
            const uint16_t nameSize = le16(h + 26);
            int64_t nameAt = position + 32;
            int64_t packed = le32(h + 7);
            int64_t unpacked = le32(h + 11);
            if (flags & flagLarge) {
                uint8_t high[8];
                if (!read(position + 32, high, 8))
                    break;
                packed |= int64_t(le32(high)) << 32;
                unpacked |= int64_t(le32(high + 4)) << 32;
                nameAt += 8;
            }
            next = position + headerSize + packed;
            if (nameAt + nameSize > position + headerSize)
                break;
            stored.resize(nameSize);
            if (!read(nameAt, stored.data(), nameSize))
                break;
            // Unicode names: the OEM name, a zero byte, then the encoded
            // Unicode form; without the zero byte the name is UTF-8.
            NameEncoding encoding = h[15] == hostUnix ? NameEncoding::Utf8IfValid : NameEncoding::Oem;
            if (flags & flagUnicode) {
                const auto zero = stored.find('\0');
                if (zero == std::string::npos)
                    encoding = NameEncoding::Utf8;
                else
                    stored.resize(zero);
            }
            const uint32_t attributes = le32(h + 28);
            const bool folder = (flags & flagFolderMask) == flagFolderMask || (attributes & 0x10)
                || (h[15] == hostUnix && (attributes & 0xF000) == 0x4000);
            packedSum += packed;
            if (flags & flagSplitAfter) {
                continuing = true;
            } else {
                l.clearEntry();
                l.FileName = name(stored, encoding);
                l.PackedSize = (flags & flagSplitBefore) ? packedSum : packed;
                l.UnpackedSize = unpacked;
                l.Crc = le32(h + 16);
                l.FileDate = l.DosDateToDateTime(le32(h + 20));
                l.VersionMadeBy = h[24];
                l.MethodNumber = h[25];
                l.MethodName = rarMethodName(h[25], folder);
                l.Encrypted = flags & flagEncrypted;
                l.ExternalAttr
                    = h[15] == hostUnix ? (folder ? 0x10 : 0x20) : static_cast<uint16_t>(attributes);
                if (folder)
                    l.ExternalAttr |= 0x10;
                if (h[15] == hostUnix)
                    l.UnixMode = TArchiveCommon::typedUnixMode(attributes, folder);
                if (volumeSet)
                    l.VolumeName = TArchiveCommon::fileNamePart(volumePath);
                report(position, folder);
                continuing = false;
                packedSum = 0;
            }
        }
        if (!isForward(position, next))
            break;
        position = next;
    }
}

} // namespace ov
