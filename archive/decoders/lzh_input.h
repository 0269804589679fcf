// The packed-input side shared by the LZH family, ARJ method 4 and LZHUF:
// the member's bytes are taken into a buffer of the state, and read most
// significant bit first through a 64-bit bit buffer.
//
// Decoders work in steps (one block header, one symbol). Reading past the
// bytes taken so far yields zero bits and counts them as missing; after a
// step the decoder asks overran(): if so, and more input may come, it
// rewinds to the mark taken before the step and asks for more input; once
// the member's last byte has been taken, an overrun is the end of the data
// (UnexpectedEnd). This keeps every decoder resumable at any byte boundary
// without a state machine inside the steps.
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace ov {

class LzhInput {
public:
    // The buffer holds at least the largest step (a block header) many
    // times over; it is allocated here, once per member.
    void reset(std::size_t capacity = 32768)
    {
        m_data.assign(capacity, 0);
        m_pos = m_end = 0;
        m_bits = 0;
        m_count = 0;
        m_missing = 0;
        m_ended = false;
    }

    // Moves unread bytes to the front and takes as much of the stream's
    // input as fits. Records the end of the member's data once its last
    // byte is in.
    void take(DecodeStream& stream)
    {
        dropMissing();
        if (m_pos != 0) {
            std::memmove(m_data.data(), m_data.data() + m_pos, m_end - m_pos);
            m_end -= m_pos;
            m_pos = 0;
        }
        std::size_t count = m_data.size() - m_end;
        if (count > stream.input.size())
            count = stream.input.size();
        if (count)
            std::memcpy(m_data.data() + m_end, stream.input.data(), count);
        m_end += count;
        stream.consume(count);
        if (stream.inputEnd && stream.input.empty())
            m_ended = true;
    }

    bool ended() const { return m_ended; }
    // Unread bytes in the buffer (not counting those in the bit buffer).
    std::size_t buffered() const { return m_end - m_pos; }

    // Keeps at least 57 valid bits in the bit buffer, padding with zero
    // bytes (counted as missing) past the data taken.
    void refill()
    {
        while (m_count <= 56) {
            std::uint64_t byte = 0;
            if (m_pos < m_end)
                byte = m_data[m_pos++];
            else
                ++m_missing;
            m_bits |= byte << (56 - m_count);
            m_count += 8;
        }
    }

    // The next n bits (n <= 32) without taking them; refill() first.
    std::uint32_t peek(unsigned n) const { return n ? static_cast<std::uint32_t>(m_bits >> (64 - n)) : 0; }
    void skip(unsigned n)
    {
        m_bits <<= n;
        m_count -= n;
    }
    std::uint32_t bits(unsigned n)
    {
        refill();
        const std::uint32_t value = peek(n);
        skip(n);
        return value;
    }

    // Whether a bit past the data taken so far was consumed.
    bool overran() const { return m_count < static_cast<int>(m_missing) * 8; }
    // Whether the next n bits reach past the data taken so far (a code that
    // looks invalid there may only be cut short).
    bool padded(unsigned n) const { return m_count - static_cast<int>(n) < static_cast<int>(m_missing) * 8; }

    struct Mark {
        std::size_t pos;
        std::uint64_t bits;
        int count;
        unsigned missing;
    };
    Mark mark() const { return { m_pos, m_bits, m_count, m_missing }; }
    void rewind(const Mark& mark)
    {
        m_pos = mark.pos;
        m_bits = mark.bits;
        m_count = mark.count;
        m_missing = mark.missing;
    }

    // Raw access for decoders with their own inner loop over the bit buffer.
    std::uint64_t& bitBuffer() { return m_bits; }
    int& bitCount() { return m_count; }

    // A fast loop copies the bit buffer into locals, reads whole 8-byte
    // words from cursor() while at least 8 unread bytes stand before
    // limit() (so it never pads), and hands everything back through
    // release(). Only valid while nothing is missing.
    bool fastReady() const { return m_missing == 0 && m_end - m_pos >= 8; }
    const std::uint8_t* cursor() const { return m_data.data() + m_pos; }
    const std::uint8_t* limit() const { return m_data.data() + m_end; }
    void release(const std::uint8_t* cursor, std::uint64_t bits, int count)
    {
        m_pos = static_cast<std::size_t>(cursor - m_data.data());
        // Bits below the count repeat bytes the cursor has not passed yet.
        m_bits = count > 0 ? bits & ~std::uint64_t(0) << (64 - count) : 0;
        m_count = count;
    }

    // Tops a local bit buffer up to 56..63 bits from an 8-byte big-endian
    // word at p; returns the new cursor.
    static const std::uint8_t* refillWord(const std::uint8_t* p, std::uint64_t& bits, int& count)
    {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        bits |= __builtin_bswap64(word) >> count;
        p += (63 - count) >> 3;
        count |= 56;
        return p;
    }

private:
    // The zero padding stands at the low end of the bit buffer; it is
    // dropped before real bytes follow.
    void dropMissing()
    {
        if (!m_missing)
            return;
        m_count -= static_cast<int>(m_missing) * 8;
        m_bits &= m_count > 0 ? ~std::uint64_t(0) << (64 - m_count) : 0;
        m_missing = 0;
    }

    std::vector<std::uint8_t> m_data;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::uint64_t m_bits = 0;
    int m_count = 0;
    unsigned m_missing = 0;
    bool m_ended = false;
};

} // namespace ov
