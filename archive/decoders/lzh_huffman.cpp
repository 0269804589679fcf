#include "archive/decoders/lzh_huffman.h"

namespace ov {

void LzhHuffman::single(unsigned symbol)
{
    m_rootBits = 1;
    m_table.assign(2, entry(symbol, 0));
}

bool LzhHuffman::build(const std::uint8_t* lengths, unsigned count, unsigned rootBits)
{
    unsigned perLength[MaxLength + 1] = {};
    for (unsigned i = 0; i < count; ++i) {
        if (lengths[i] > MaxLength)
            return false;
        ++perLength[lengths[i]];
    }
    // The first code of each length, left-aligned in 16 bits; the sum must
    // not pass the whole code space.
    std::uint32_t first[MaxLength + 2] = {};
    std::uint32_t next = 0;
    for (unsigned length = 1; length <= MaxLength; ++length) {
        first[length] = next;
        next += perLength[length] << (16 - length);
        if (next > 0x10000)
            return false;
    }

    m_rootBits = rootBits;
    const unsigned subBits = 16 - rootBits;
    m_table.assign(std::size_t(1) << rootBits, Invalid);
    std::uint32_t code[MaxLength + 1];
    for (unsigned length = 1; length <= MaxLength; ++length)
        code[length] = first[length];

    for (unsigned symbol = 0; symbol < count; ++symbol) {
        const unsigned length = lengths[symbol];
        if (!length)
            continue;
        const std::uint32_t value = code[length];
        code[length] += 1u << (16 - length);
        if (length <= rootBits) {
            // Fill every root slot that starts with this code.
            const std::uint32_t begin = value >> subBits;
            const std::uint32_t span = 1u << (rootBits - length);
            for (std::uint32_t i = 0; i < span; ++i)
                m_table[begin + i] = entry(symbol, length);
            continue;
        }
        const std::uint32_t slot = value >> subBits;
        if (!(m_table[slot] & SubTable)) {
            m_table[slot] = SubTable | static_cast<std::uint32_t>(m_table.size());
            m_table.resize(m_table.size() + (std::size_t(1) << subBits), Invalid);
        }
        const std::uint32_t base = m_table[slot] & 0xFFFF;
        const std::uint32_t low = value & ((1u << subBits) - 1);
        const std::uint32_t span = 1u << (16 - length);
        for (std::uint32_t i = 0; i < span; ++i)
            m_table[base + low + i] = entry(symbol, length);
    }
    return true;
}

} // namespace ov
