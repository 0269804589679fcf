// Microsoft cabinet directory (the CAB format as Microsoft documents it): the 36-byte
// CFHEADER with its optional reserve and neighbour-cabinet names, the
// CFFOLDER records, then the CFFILE records. A set of cabinets is followed
// through the next-cabinet names, each cabinet visited once.
#include "archive/listing_run.h"

#include "archive/bytes.h"
#include "archive/messages.h"

#include <vector>

namespace ov {

namespace {

constexpr uint16_t flagPrevious = 0x0001;
constexpr uint16_t flagNext = 0x0002;
constexpr uint16_t flagReserve = 0x0004;
constexpr uint16_t continuedFromPrevious = 0xFFFD;
constexpr uint16_t continuedBothWays = 0xFFFF;
constexpr uint16_t attributeUtf8Name = 0x80;

struct Cabinet {
    uint32_t filesAt = 0;
    uint16_t fileCount = 0;
    uint16_t flags = 0;
    uint8_t minor = 0;
    uint8_t major = 0;
    std::vector<uint16_t> folderTypes;
    std::string nextName;
    std::string nextDisk;
};

std::string cabMethodName(uint16_t type)
{
    switch (type & 0x0F) {
    case 0:
        return "Stored";
    case 1:
        return "MsZIP";
    case 2:
        return "Quantum";
    case 3:
        return "Lzx";
    default:
        return "Unknown";
    }
}

bool equalNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// 0 = read, 1 = no cabinet header, 2 = no folder record.
int readCabinet(ListingRun& run, Cabinet& cabinet)
{
    uint8_t h[36];
    if (!run.read(0, h, sizeof h) || h[0] != 'M' || h[1] != 'S' || h[2] != 'C' || h[3] != 'F')
        return 1;
    cabinet.filesAt = le32(h + 16);
    cabinet.minor = h[24];
    cabinet.major = h[25];
    const uint16_t folderCount = le16(h + 26);
    cabinet.fileCount = le16(h + 28);
    cabinet.flags = le16(h + 30);
    int64_t at = 36;
    uint8_t folderReserve = 0;
    if (cabinet.flags & flagReserve) {
        uint8_t reserve[4];
        if (!run.read(at, reserve, 4))
            return 1;
        folderReserve = reserve[2];
        at += 4 + le16(reserve);
    }
    std::string text;
    if (cabinet.flags & flagPrevious) {
        if (!run.readZeroTerminated(at, 255, text, at) || !run.readZeroTerminated(at, 255, text, at))
            return 1;
    }
    if (cabinet.flags & flagNext) {
        if (!run.readZeroTerminated(at, 255, cabinet.nextName, at)
            || !run.readZeroTerminated(at, 255, cabinet.nextDisk, at))
            return 1;
    }
    cabinet.folderTypes.clear();
    for (uint16_t i = 0; i < folderCount; ++i) {
        uint8_t folder[8];
        if (!run.read(at, folder, sizeof folder))
            return i == 0 ? 2 : 0;
        cabinet.folderTypes.push_back(le16(folder + 6));
        at += 8 + folderReserve;
    }
    return cabinet.folderTypes.empty() ? 2 : 0;
}

} // namespace

void ListingRun::listCab()
{
    TArchiveLister& l = lister;
    Cabinet cabinet;
    if (readCabinet(*this, cabinet) != 0) {
        l.nonFatal(msgBadFileHeader, volumePath);
        return;
    }
    const std::string folder = TArchiveCommon::folderPart(l.ArchiveFile());
    std::string stored;
    for (;;) {
        int64_t position = cabinet.filesAt;
        int64_t previous = -1;
        const bool inSet = cabinet.flags & (flagPrevious | flagNext);
        for (uint16_t left = cabinet.fileCount; left > 0; --left) {
            uint8_t r[16];
            if (!keepGoing() || position <= previous || !fits(position, 16) || !read(position, r, sizeof r))
                return;
            int64_t end = position;
            if (!readZeroTerminated(position + 16, 255, stored, end))
                return;
            const uint16_t index = le16(r + 8);
            const uint16_t attributes = le16(r + 14);
            if (index != continuedFromPrevious && index != continuedBothWays) {
                l.clearEntry();
                l.PackedSize = l.UnpackedSize = le32(r);
                l.FileDate = l.DosDateToDateTime(uint32_t(le16(r + 10)) << 16 | le16(r + 12));
                l.VersionMadeBy = cabinet.minor;
                l.VersionNeeded = cabinet.major;
                // Each member's own folder names its compression (0xFFFE:
                // continued into the next cabinet, in the last folder).
                const std::size_t folderIndex = index == 0xFFFE ? cabinet.folderTypes.size() - 1 : index;
                l.MethodNumber = folderIndex < cabinet.folderTypes.size() ? cabinet.folderTypes[folderIndex]
                                                                          : cabinet.folderTypes[0];
                l.MethodName = cabMethodName(l.MethodNumber);
                l.ExternalAttr = attributes & ~attributeUtf8Name;
                l.FileName
                    = name(stored, (attributes & attributeUtf8Name) ? NameEncoding::Utf8 : NameEncoding::Oem);
                if (inSet)
                    l.VolumeName = TArchiveCommon::fileNamePart(volumePath);
                report(position, false);
            }
            previous = position;
            position = end;
        }
        if (!(cabinet.flags & flagNext) || cabinet.nextName.empty())
            return;
        std::string nextPath = folder + cabinet.nextName;
        if (equalNoCase(nextPath, volumePath))
            return;
        if (!l.fileStore().exists(nextPath) && !l.requestNextVolume(nextPath, cabinet.nextDisk))
            return;
        if (!switchVolume(nextPath))
            return;
        const int result = readCabinet(*this, cabinet);
        if (result == 1) {
            l.nonFatal(msgBadFileHeader, volumePath);
            return;
        }
        if (result == 2) {
            l.nonFatal(msgErrorReading, volumePath);
            return;
        }
    }
}

} // namespace ov
