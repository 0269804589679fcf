// A canonical Huffman code of the LZH family (codes up to 16 bits, given by
// their lengths; shorter codes first, equal lengths in symbol order) as a
// lookup table: `rootBits` bits index the root table, longer codes continue
// in 2^(16 - rootBits)-entry sub-tables.
//
// A code set that oversubscribes the 16-bit code space is refused; an
// incomplete one is accepted, and its unused codes decode as invalid.
#pragma once

#include <cstdint>
#include <vector>

namespace ov {

class LzhHuffman {
public:
    static constexpr unsigned MaxLength = 16;

    // Builds the table from lengths[0..count) (0 = unused symbol). Returns
    // false for an oversubscribed set or a length above 16.
    bool build(const std::uint8_t* lengths, unsigned count, unsigned rootBits);
    // Every code decodes to one symbol without reading a bit.
    void single(unsigned symbol);

    // An entry: symbol in the low 16 bits, code length above (0 for the
    // single-symbol table); Invalid for a code no symbol has. `peek16` holds
    // the next 16 bits of input.
    static constexpr std::uint32_t Invalid = 0x7FFFFFFFu;
    static constexpr std::uint32_t entry(std::uint32_t symbol, std::uint32_t length)
    {
        return symbol | length << 16;
    }
    std::uint32_t lookup(std::uint32_t peek16) const
    {
        const std::uint32_t root = m_table[peek16 >> (16 - m_rootBits)];
        if (!(root & SubTable))
            return root;
        const std::uint32_t mask = (1u << (16 - m_rootBits)) - 1;
        return m_table[(root & 0xFFFF) + (peek16 & mask)];
    }

    // The table as plain values, for loops that keep it in registers.
    struct View {
        const std::uint32_t* table;
        unsigned rootShift;
        std::uint32_t subMask;
        std::uint32_t lookup(std::uint32_t peek16) const
        {
            const std::uint32_t root = table[peek16 >> rootShift];
            return root & SubTable ? table[(root & 0xFFFF) + (peek16 & subMask)] : root;
        }
    };
    View view() const { return { m_table.data(), 16 - m_rootBits, (1u << (16 - m_rootBits)) - 1 }; }

private:
    static constexpr std::uint32_t SubTable = 0x80000000u;

    std::vector<std::uint32_t> m_table;
    unsigned m_rootBits = 0;
};

} // namespace ov
