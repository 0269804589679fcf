#include "archive/formats/arj_header.h"

#include "archive/crc.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

constexpr std::size_t MaxBasicHeader = 2600;
constexpr std::size_t MinFixedPart = 30;
constexpr int64_t MainHeaderScan = 25000;
constexpr int MaxExtendedHeaders = 64;

} // namespace

ArjReader::ArjReader(FileLayer& file)
    : m_cursor(file, 0)
{
}

bool ArjReader::openMain(int64_t from, ArjHeader& main)
{
    const int64_t limit
        = std::min<int64_t>(m_cursor.size(), from + MainHeaderScan + 4 + int64_t(MaxBasicHeader) + 4);
    if (from < 0 || limit <= from)
        return false;
    std::vector<uint8_t> bytes(std::size_t(limit - from));
    bytes.resize(m_cursor.file().readAt(from, bytes.data(), bytes.size()));
    for (std::size_t at = 0; at + 4 <= bytes.size() && int64_t(at) <= MainHeaderScan; ++at) {
        if (bytes[at] != 0x60 || bytes[at + 1] != 0xEA)
            continue;
        const std::size_t size = le16(bytes.data() + at + 2);
        if (size < MinFixedPart || size > MaxBasicHeader || at + 4 + size + 4 > bytes.size())
            continue;
        if (crc32(bytes.data() + at + 4, size) != le32(bytes.data() + at + 4 + size))
            continue;
        m_cursor.restart(from + int64_t(at));
        bool endMarker = false;
        if (!read(main, endMarker) || endMarker)
            return false;
        m_cursor.advance(main.dataAt);
        return m_cursor.ended() == WalkEnd::Running;
    }
    return false;
}

bool ArjReader::next(ArjHeader& header)
{
    if (m_cursor.ended() != WalkEnd::Running)
        return false;
    bool endMarker = false;
    if (!read(header, endMarker))
        return false;
    if (endMarker)
        return m_cursor.finish(WalkEnd::Marker);
    const int64_t next = header.dataAt + int64_t(header.packed());
    if (next > m_cursor.size())
        m_cursor.finish(WalkEnd::DataCut);
    else
        m_cursor.advance(next);
    return true;
}

bool ArjReader::read(ArjHeader& header, bool& endMarker)
{
    const int64_t position = m_cursor.position();
    uint8_t id[4];
    if (!m_cursor.read(position, id, 4))
        return m_cursor.finish(WalkEnd::Cut);
    if (id[0] != 0x60 || id[1] != 0xEA)
        return m_cursor.finish(WalkEnd::Damaged);
    const std::size_t size = le16(id + 2);
    if (size == 0) {
        endMarker = true;
        return true;
    }
    if (size > MaxBasicHeader || size < MinFixedPart)
        return m_cursor.finish(WalkEnd::Damaged);
    header = ArjHeader();
    header.headerAt = position;
    header.basic.resize(size + 4);
    if (!m_cursor.read(position + 4, header.basic.data(), size + 4))
        return m_cursor.finish(WalkEnd::Cut);
    header.crcMatches = crc32(header.basic.data(), size) == le32(header.basic.data() + size);
    header.basic.resize(size);
    const std::size_t fixed = header.basic[0];
    if (fixed < MinFixedPart || fixed > size)
        return m_cursor.finish(WalkEnd::Damaged);
    const auto* names = reinterpret_cast<const char*>(header.basic.data() + fixed);
    header.storedName.assign(names, strnlen(names, size - fixed));
    // Extended headers are passed over.
    int64_t at = position + 4 + int64_t(size) + 4;
    for (int count = 0;; ++count) {
        uint8_t sizeBytes[2];
        if (!m_cursor.read(at, sizeBytes, 2))
            return m_cursor.finish(WalkEnd::Cut);
        at += 2;
        const uint16_t extended = le16(sizeBytes);
        if (extended == 0)
            break;
        if (count == MaxExtendedHeaders)
            return m_cursor.finish(WalkEnd::Damaged);
        at += int64_t(extended) + 4;
    }
    header.dataAt = at;
    return true;
}

} // namespace ov
