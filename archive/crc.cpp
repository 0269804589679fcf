// Table-driven CRCs. CRC-32 uses slicing-by-8: eight tables let the loop
// fold eight input bytes per step with independent look-ups, which is what
// keeps extraction close to zlib's speed. CRC-16 is bytewise; its users
// (ARC, LHA) are slow decoders anyway.
#include "archive/crc.h"

#include <array>
#include <cstring>

namespace ov {

namespace {

using Crc32Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Crc32Tables makeCrc32Tables()
{
    Crc32Tables tables {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][i] = crc;
    }
    // Table k advances a byte that sits k positions before the end of the
    // eight-byte group.
    for (uint32_t i = 0; i < 256; ++i)
        for (std::size_t k = 1; k < 8; ++k)
            tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    return tables;
}

constexpr std::array<uint16_t, 256> makeCrc16Table()
{
    std::array<uint16_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr Crc32Tables crc32Tables = makeCrc32Tables();
constexpr std::array<uint16_t, 256> crc16Table = makeCrc16Table();

inline uint32_t loadLittle32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

uint32_t crc32Update(uint32_t crc, const void* data, std::size_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    const auto& t = crc32Tables;
    while (length >= 8) {
        const uint32_t low = loadLittle32(p) ^ crc;
        const uint32_t high = loadLittle32(p + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24]
            ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        p += 8;
        length -= 8;
    }
    while (length--)
        crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
    return crc;
}

uint16_t crc16Update(uint16_t crc, const void* data, std::size_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    while (length--)
        crc = static_cast<uint16_t>((crc >> 8) ^ crc16Table[(crc ^ *p++) & 0xFF]);
    return crc;
}

} // namespace ov
