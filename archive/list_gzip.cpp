// GZIP (RFC 1952) and the older single-file magics (pack 1F 1E, compress
// 1F 9D, freeze/LZH 1F A0): one member, named from the header when stored,
// else from the archive's own name.
#include "archive/listing_run.h"

#include "archive/bytes.h"

namespace ov {

namespace {

constexpr uint8_t flagHeaderCrc = 0x02;
constexpr uint8_t flagExtra = 0x04;
constexpr uint8_t flagName = 0x08;
constexpr uint8_t flagComment = 0x10;

std::string gzipMethodName(uint8_t magic)
{
    switch (magic) {
    case 0x1E:
        return "PackMAGIC";
    case 0x8B:
    case 0x9E:
        return "Deflate";
    case 0x9D:
        return "LzwMAGIC";
    case 0xA0:
        return "LzhMAGIC";
    default:
        return "Stored";
    }
}

// The archive's name without its last extension (".tgz" gives ".tar").
std::string impliedName(const std::string& archive)
{
    std::string name = TArchiveCommon::fileNamePart(archive);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return name;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    name.erase(dot);
    if (extension == "tgz" || extension == "taz")
        name += ".tar";
    return name;
}

} // namespace

void ListingRun::listGzip()
{
    TArchiveLister& l = lister;
    uint8_t h[10];
    if (!read(0, h, sizeof h))
        return;
    const uint8_t magic = h[1];
    l.clearEntry();
    l.MethodNumber = magic;
    l.MethodName = gzipMethodName(magic);
    l.ExternalAttr = 0x20;
    std::string stored;
    if (magic == 0x8B || magic == 0x9E) {
        const uint8_t flags = h[3];
        l.FileDate = l.UnixToDateTime(le32(h + 4));
        l.Encrypted = flags & 0x20;
        int64_t at = 10;
        if (flags & flagExtra) {
            uint8_t length[2];
            if (!read(at, length, 2))
                return;
            at += 2 + le16(length);
        }
        if (flags & flagName) {
            int64_t end = at;
            if (!readZeroTerminated(at, 255, stored, end))
                return;
            at = end;
        }
        if (flags & flagComment) {
            std::string comment;
            int64_t end = at;
            if (!readZeroTerminated(at, 65535, comment, end))
                return;
            at = end;
        }
        if (flags & flagHeaderCrc)
            at += 2;
        uint8_t trailer[8];
        if (size < at + 8 || !read(size - 8, trailer, 8))
            return;
        l.Crc = le32(trailer);
        l.UnpackedSize = le32(trailer + 4);
        l.PackedSize = size - at - 8;
    } else {
        l.FileDate = l.UnixToDateTime(m_file->modificationTime());
        l.PackedSize = l.UnpackedSize = size;
    }
    if (stored.empty())
        l.FileName = name(impliedName(l.ArchiveFile()), NameEncoding::Utf8IfValid);
    else
        l.FileName = name(stored, NameEncoding::Utf8IfValid);
    report(0, false);
}

} // namespace ov
