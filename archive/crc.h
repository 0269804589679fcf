// CRC-32 as ZIP, ARJ, HA and gzip use it (reflected polynomial 0xEDB88320)
// and CRC-16 as ARC and LHA use it (reflected polynomial 0xA001).
//
// The update functions carry the register as the caller keeps it: CRC-32 is
// preset to 0xFFFFFFFF and inverted by the caller at the end; CRC-16 is
// preset to 0 and used as it stands. crc32() and crc16() do a whole buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ov {

uint32_t crc32Update(uint32_t crc, const void* data, std::size_t length);
uint16_t crc16Update(uint16_t crc, const void* data, std::size_t length);

inline uint32_t crc32(const void* data, std::size_t length)
{
    return ~crc32Update(0xFFFFFFFFu, data, length);
}

inline uint16_t crc16(const void* data, std::size_t length)
{
    return crc16Update(0, data, length);
}

} // namespace ov
