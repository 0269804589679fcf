#include "archive/formats/rar5_header.h"

#include "archive/crc.h"

#include <cstring>
#include <vector>

namespace ov {

namespace {

constexpr uint8_t Rar5Marker[8] = { 'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00 };

class Rar5Fields {
public:
    Rar5Fields(const uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool number(uint64_t& value)
    {
        value = 0;
        for (unsigned shift = 0; shift < 64 && m_at < m_size; shift += 7) {
            const uint8_t byte = m_data[m_at++];
            value |= uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }
    bool word(uint32_t& value)
    {
        if (m_size - m_at < 4)
            return false;
        value = uint32_t(m_data[m_at]) | uint32_t(m_data[m_at + 1]) << 8 | uint32_t(m_data[m_at + 2]) << 16
            | uint32_t(m_data[m_at + 3]) << 24;
        m_at += 4;
        return true;
    }
    bool text(uint64_t length, std::string& value)
    {
        if (length > m_size - m_at)
            return false;
        value.assign(reinterpret_cast<const char*>(m_data + m_at), std::size_t(length));
        m_at += std::size_t(length);
        return true;
    }
    std::size_t position() const { return m_at; }

private:
    const uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

} // namespace

bool isRar5(FileLayer& file, int64_t start)
{
    uint8_t marker[sizeof Rar5Marker];
    return file.readExact(start, marker, sizeof marker)
        && std::memcmp(marker, Rar5Marker, sizeof marker) == 0;
}

void readRar5FileHeaders(
    FileLayer& file, int64_t start, const std::function<void(const Rar5FileHeader&)>& visit)
{
    constexpr uint64_t MaxHeader = 2 * 1024 * 1024; // the technote's limit
    const int64_t size = file.size();
    int64_t position = start + int64_t(sizeof Rar5Marker);
    std::vector<uint8_t> header;
    while (position < size) {
        // CRC-32, then the header size in at most 3 bytes (2 MB).
        uint8_t head[7] = {};
        const std::size_t got = file.readAt(position, head, sizeof head);
        Rar5Fields prefix(head + 4, got < 4 ? 0 : got - 4);
        uint64_t headerSize = 0;
        if (got < 5 || !prefix.number(headerSize) || headerSize == 0 || headerSize > MaxHeader)
            return;
        const int64_t sizeAt = position + 4;
        const int64_t bodyAt = sizeAt + int64_t(prefix.position());
        if (bodyAt + int64_t(headerSize) > size)
            return;
        header.resize(prefix.position() + std::size_t(headerSize));
        if (!file.readExact(sizeAt, header.data(), header.size()))
            return;
        const uint32_t storedCrc
            = uint32_t(head[0]) | uint32_t(head[1]) << 8 | uint32_t(head[2]) << 16 | uint32_t(head[3]) << 24;
        if (crc32(header.data(), header.size()) != storedCrc)
            return;
        Rar5Fields fields(header.data() + prefix.position(), std::size_t(headerSize));
        uint64_t type = 0, flags = 0, extraSize = 0, dataSize = 0;
        if (!fields.number(type) || !fields.number(flags) || ((flags & 0x01) && !fields.number(extraSize))
            || ((flags & 0x02) && !fields.number(dataSize)))
            return;
        if (type == 4 || type == 5 || dataSize > uint64_t(size))
            return;
        if (type == 2) {
            Rar5FileHeader member;
            uint64_t unpacked = 0, attributes = 0, compression = 0, host = 0, nameLength = 0;
            uint32_t time = 0;
            if (!fields.number(member.fileFlags) || !fields.number(unpacked) || !fields.number(attributes)
                || ((member.fileFlags & 0x02) && !fields.word(time))
                || ((member.fileFlags & 0x04) && !fields.word(member.dataCrc)) || !fields.number(compression)
                || !fields.number(host) || !fields.number(nameLength)
                || !fields.text(nameLength, member.storedName))
                return;
            member.split = flags & (0x08 | 0x10);
            visit(member);
        }
        const int64_t next = bodyAt + int64_t(headerSize) + int64_t(dataSize);
        if (next <= position || next > size)
            return;
        position = next;
    }
}

} // namespace ov
