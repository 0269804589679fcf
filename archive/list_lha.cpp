// LHA/LZH directory, header levels 0, 1 and 2 (the LHa for UNIX header
// notes): a 22-byte common start, the name (levels 0 and 1), and, for
// levels 1 and 2, a chain of extended headers — each a type byte, its data
// and the 16-bit size of the next one. Type 1 carries the file name, type 2
// the folder (0xFF separated).
#include "archive/listing_run.h"

#include "archive/bytes.h"

#include <vector>

namespace ov {

namespace {

constexpr uint8_t extFileName = 1;
constexpr uint8_t extFolder = 2;

// A stored folder: "/" and 0xFF become "\" except in the second byte of a
// double-byte character; blanks and controls trimmed at both ends.
std::string lhaFolder(const std::string& stored)
{
    std::string out;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto c = static_cast<unsigned char>(stored[i]);
        const bool leadByte = (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD);
        if (leadByte && i + 1 < stored.size()) {
            out += stored[i];
            out += stored[++i];
            continue;
        }
        out += (c == '/' || c == 0xFF) ? '/' : stored[i];
    }
    std::size_t first = 0;
    while (first < out.size() && static_cast<unsigned char>(out[first]) <= ' ')
        ++first;
    std::size_t last = out.size();
    while (last > first && static_cast<unsigned char>(out[last - 1]) <= ' ')
        --last;
    return out.substr(first, last - first);
}

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
    int64_t position = l.DataOffset();
    uint8_t first = 0;
    if (read(position, &first, 1) && first == 0)
        position += 128;

    uint8_t h[24];
    std::vector<uint8_t> extended;
    while (keepGoing()) {
        if (!fits(position, 22) || !read(position, h, 22) || h[0] == 0)
            break;
        const uint8_t level = h[20];
        if (level > 2)
            break;
        const std::string method(reinterpret_cast<const char*>(h + 2), 5);
        int64_t packed = le32(h + 7);
        const int64_t unpacked = le32(h + 11);
        const uint32_t stamp = le32(h + 15);
        std::string storedName;
        std::string storedFolder;
        uint8_t system = 0;
        int64_t headerEnd;  // first byte after the header (and, level 1, its extended headers)
        int64_t extendedAt; // first extended header (its size is 2 bytes before)
        uint16_t extendedSize = 0;
        int64_t headerLimit; // extended headers must stay below this

        if (level < 2) {
            const int64_t baseSize = int64_t(h[0]) + 2;
            const uint8_t nameLength = h[21];
            if (22 + nameLength + 2 > baseSize)
                break;
            storedName.resize(nameLength);
            if (!read(position + 22, storedName.data(), nameLength))
                break;
            headerEnd = position + baseSize;
            extendedAt = headerEnd;
            headerLimit = size;
            if (level == 1) {
                uint8_t tail[3];
                if (!read(position + 22 + nameLength + 2, tail, 3))
                    break;
                system = tail[0];
                extendedSize = le16(tail + 1);
            } else if (baseSize >= 22 + nameLength + 3) {
                uint8_t os = 0;
                if (read(position + 22 + nameLength + 2, &os, 1))
                    system = os;
            }
        } else {
            const int64_t total = le16(h);
            if (total < 26)
                break;
            uint8_t os[3];
            if (!read(position + 23, os, 3))
                break;
            system = os[0];
            extendedSize = le16(os + 1);
            headerEnd = position + total;
            extendedAt = position + 26;
            headerLimit = headerEnd;
        }

        // Walk every extended header.
        int64_t extendedBytes = 0;
        int64_t at = extendedAt;
        for (int count = 0; extendedSize != 0 && count < 256; ++count) {
            if (extendedSize < 3 || !fits(at, extendedSize) || at + extendedSize > headerLimit)
                break;
            extended.resize(extendedSize);
            if (!read(at, extended.data(), extendedSize))
                break;
            const uint8_t type = extended[0];
            const std::string data(reinterpret_cast<const char*>(extended.data() + 1), extendedSize - 3u);
            if (type == extFileName)
                storedName = data;
            else if (type == extFolder)
                storedFolder = data;
            extendedBytes += extendedSize;
            at += extendedSize;
            extendedSize = le16(extended.data() + extendedSize - 2);
        }
        // Level 1 counts its extended headers in the packed size.
        if (level == 1) {
            packed -= extendedBytes;
            headerEnd += extendedBytes;
            if (packed < 0)
                break;
        }

        const bool folder = method == "-lhd-";
        l.clearEntry();
        l.PackedSize = packed;
        l.UnpackedSize = unpacked;
        l.FileDate = level == 2 ? l.UnixToDateTime(stamp) : l.DosDateToDateTime(stamp);
        const int crcAt = level == 2 ? 21 : 22 + h[21];
        uint8_t crcBytes[2] = {};
        if (level == 2 && read(position + 21, crcBytes, 2))
            l.Crc = le16(crcBytes);
        else if (level < 2 && read(position + crcAt, crcBytes, 2))
            l.Crc = le16(crcBytes);
        l.MethodNumber = static_cast<uint8_t>(method[3]);
        l.MethodName = lhaMethodName(method[3], folder);
        l.ExternalAttr = h[19];
        if (folder)
            l.ExternalAttr |= 0x10;
        const NameEncoding encoding = system == 'U' ? NameEncoding::Utf8IfValid : NameEncoding::Oem;
        std::string full = lhaFolder(storedFolder);
        for (char& c : storedName)
            if (c == '\xFF')
                c = '/';
        if (!full.empty() && !storedName.empty() && full.back() != '/')
            full += '/';
        full += storedName;
        while (!full.empty() && full.back() == '/')
            full.pop_back();
        l.FileName = name(full, encoding);
        report(position, folder);

        const int64_t next = headerEnd + packed;
        if (!isForward(position, next))
            break;
        position = next;
    }
}

} // namespace ov
