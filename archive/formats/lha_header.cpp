#include "archive/formats/lha_header.h"

#include "archive/bytes.h"

#include <vector>

namespace ov {

namespace {

constexpr std::size_t CommonSize = 22;
constexpr int64_t MacBinarySize = 128;
constexpr int MaxExtendedHeaders = 256;
constexpr uint8_t ExtFileName = 0x01;
constexpr uint8_t ExtFolder = 0x02;
constexpr uint8_t ExtDosAttribute = 0x40;
constexpr uint8_t ExtUnixMode = 0x50;
constexpr uint8_t ExtUnixTime = 0x54;

bool isLeadByte(unsigned char c)
{
    return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD);
}

// A stored folder: "/" and 0xFF become "/" except in the second byte of a
// double-byte character; blanks and controls trimmed at both ends.
std::string storedFolder(const std::string& stored)
{
    std::string out;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto c = static_cast<unsigned char>(stored[i]);
        if (isLeadByte(c) && i + 1 < stored.size()) {
            out += stored[i];
            out += stored[++i];
            continue;
        }
        out += c == 0xFF ? '/' : stored[i];
    }
    std::size_t first = 0;
    while (first < out.size() && static_cast<unsigned char>(out[first]) <= ' ')
        ++first;
    std::size_t last = out.size();
    while (last > first && static_cast<unsigned char>(out[last - 1]) <= ' ')
        --last;
    return out.substr(first, last - first);
}

} // namespace

uint16_t LhaHeader::dosAttributes() const
{
    const uint16_t bits = dosAttribute.value_or(attribute);
    return folder() ? bits | 0x10 : bits;
}

bool LhaHeader::readOnly() const
{
    return unixMode ? !(*unixMode & 0200) : (dosAttributes() & 1);
}

LhaReader::LhaReader(FileLayer& file, int64_t dataOffset)
    : m_cursor(file, dataOffset)
{
}

bool LhaReader::next(LhaHeader& header)
{
    if (m_cursor.ended() != WalkEnd::Running)
        return false;
    if (m_first) {
        m_first = false;
        const int64_t start = m_cursor.position();
        uint8_t first = 1;
        if (m_cursor.read(start, &first, 1) && first == 0 && m_cursor.fits(start + MacBinarySize, CommonSize))
            m_cursor.restart(start + MacBinarySize);
    }
    if (!read(header))
        return false;
    const int64_t next = header.dataAt + header.packedSize;
    if (next > m_cursor.size())
        m_cursor.finish(WalkEnd::DataCut); // the header is whole, its data is not
    else
        m_cursor.advance(next);
    return true;
}

bool LhaReader::read(LhaHeader& header)
{
    const int64_t position = m_cursor.position();
    uint8_t h[CommonSize + 4];
    if (!m_cursor.read(position, h, 1))
        return m_cursor.finish(WalkEnd::Cut);
    if (h[0] == 0)
        return m_cursor.finish(WalkEnd::Marker);
    if (!m_cursor.read(position, h, CommonSize))
        return m_cursor.finish(WalkEnd::Cut);
    header = LhaHeader();
    header.headerAt = position;
    header.level = h[20];
    if (header.level > 2)
        return m_cursor.finish(WalkEnd::Marker);
    header.method.assign(reinterpret_cast<const char*>(h + 2), 5);
    header.packedSize = le32(h + 7);
    header.unpackedSize = le32(h + 11);
    header.stamp = le32(h + 15);
    header.attribute = h[19];

    int64_t headerEnd = 0; // after the fixed part (level 1: extended headers follow)
    int64_t extendedAt = 0; // the first extended header
    int64_t limit = 0; // extended headers end before this
    uint16_t extendedSize = 0;
    std::string name;
    if (header.level < 2) {
        const int64_t size = int64_t(h[0]) + 2;
        const uint8_t nameLength = h[21];
        if (h[0] < CommonSize || int64_t(CommonSize) + nameLength + 2 > size)
            return m_cursor.finish(WalkEnd::Damaged);
        std::vector<uint8_t> rest(std::size_t(size) - CommonSize);
        if (!m_cursor.read(position + int64_t(CommonSize), rest.data(), rest.size()))
            return m_cursor.finish(WalkEnd::Cut);
        name.assign(reinterpret_cast<const char*>(rest.data()), nameLength);
        header.crc = le16(rest.data() + nameLength);
        if (rest.size() > nameLength + 2u)
            header.system = rest[nameLength + 2];
        if (header.level == 1) {
            if (rest.size() < nameLength + 5u)
                return m_cursor.finish(WalkEnd::Damaged);
            extendedSize = le16(rest.data() + rest.size() - 2);
        }
        headerEnd = position + size;
        extendedAt = headerEnd;
        limit = headerEnd + header.packedSize;
    } else {
        const int64_t total = le16(h);
        if (total < 26)
            return m_cursor.finish(WalkEnd::Damaged);
        if (!m_cursor.read(position + int64_t(CommonSize), h + CommonSize, 4))
            return m_cursor.finish(WalkEnd::Cut);
        header.crc = le16(h + 21);
        header.system = h[23];
        extendedSize = le16(h + 24);
        headerEnd = position + total;
        extendedAt = position + 26;
        // Some archivers (LHA for OS-9) store a total two bytes short of the
        // extended headers it counts: the chain, not the total, ends it.
        limit = position + 0x10000 + 2;
    }

    std::string folder;
    std::vector<uint8_t> extended;
    int64_t at = extendedAt;
    for (int count = 0; extendedSize != 0; ++count) {
        if (extendedSize < 3 || count == MaxExtendedHeaders || at + extendedSize > limit)
            return m_cursor.finish(WalkEnd::Damaged);
        extended.resize(extendedSize);
        if (!m_cursor.read(at, extended.data(), extendedSize))
            return m_cursor.finish(WalkEnd::Cut);
        const std::string data(reinterpret_cast<const char*>(extended.data() + 1), extendedSize - 3u);
        switch (extended[0]) {
        case ExtFileName:
            name = data;
            break;
        case ExtFolder:
            folder = storedFolder(data);
            break;
        case ExtDosAttribute:
            if (data.size() >= 2)
                header.dosAttribute = le16(extended.data() + 1);
            break;
        case ExtUnixMode:
            if (data.size() >= 2)
                header.unixMode = le16(extended.data() + 1);
            break;
        case ExtUnixTime:
            if (data.size() >= 4)
                header.unixTime = le32(extended.data() + 1);
            break;
        default:
            break;
        }
        at += extendedSize;
        extendedSize = le16(extended.data() + extended.size() - 2);
    }
    if (header.level == 2 && at > headerEnd)
        headerEnd = at;
    if (header.level == 1) {
        // A level-1 packed size counts the extended headers in.
        header.packedSize -= at - extendedAt;
        headerEnd = at;
        if (header.packedSize < 0)
            return m_cursor.finish(WalkEnd::Damaged);
    }
    for (char& c : name)
        if (c == '\xFF')
            c = '/';
    if (!folder.empty() && !name.empty() && folder.back() != '/')
        folder += '/';
    header.storedName = folder + name;
    while (!header.storedName.empty() && header.storedName.back() == '/')
        header.storedName.pop_back();
    if (headerEnd > m_cursor.size())
        return m_cursor.finish(WalkEnd::Cut);
    header.dataAt = headerEnd;
    return true;
}

} // namespace ov
