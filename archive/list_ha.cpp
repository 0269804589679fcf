// HA directory: "HA" and a 16-bit member count, then per member a header of
// version/method, packed size, unpacked size, CRC-32 and Unix time, the path
// and the name (each up to a zero byte, the path 0xFF separated) and the
// machine-information field (a length byte and that many bytes); the data
// follows.
#include "archive/listing_run.h"

#include "archive/bytes.h"

namespace ov {

namespace {

std::string haMethodName(uint8_t method)
{
    switch (method) {
    case 0:
        return "Cpy";
    case 1:
        return "Asc";
    case 2:
        return "HSC";
    case 14:
        return "Dir";
    case 15:
        return "Special";
    default:
        return {};
    }
}

} // namespace

void ListingRun::listHa()
{
    TArchiveLister& l = lister;
    int64_t position = 4;
    uint8_t h[17];
    while (keepGoing()) {
        if (!fits(position, 18) || !read(position, h, sizeof h))
            break;
        std::string path;
        std::string stored;
        int64_t at = position + 17;
        if (!readZeroTerminated(at, 1024, path, at) || !readZeroTerminated(at, 1024, stored, at))
            break;
        uint8_t machineLength = 0;
        if (!read(at, &machineLength, 1))
            break;
        at += 1 + machineLength;
        const uint8_t method = h[0] & 0x0F;
        const bool folder = method == 14;
        const int64_t packed = le32(h + 1);
        l.clearEntry();
        l.VersionMadeBy = l.VersionNeeded = h[0] >> 4;
        l.MethodNumber = method;
        l.MethodName = haMethodName(method);
        l.PackedSize = packed;
        l.UnpackedSize = le32(h + 5);
        l.Crc = le32(h + 9);
        l.FileDate = l.UnixToDateTime(le32(h + 13));
        l.ExternalAttr = folder ? 0x10 : 0x20;
        for (char& c : path)
            if (c == '\xFF')
                c = '/';
        if (!path.empty() && path.back() != '/')
            path += '/';
        std::string full = folder && stored.empty() ? path : path + stored;
        while (!full.empty() && full.back() == '/')
            full.pop_back();
        l.FileName = name(full, NameEncoding::Utf8IfValid);
        report(position, folder);
        const int64_t next = at + packed;
        if (!isForward(position, next))
            break;
        position = next;
    }
}

} // namespace ov
