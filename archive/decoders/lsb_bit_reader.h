// A bit reader for the resumable decoders: bits come least significant
// first out of a 64-bit buffer kept in the decoder's state. A decoder step
// calls fill(most bits the step may need) first: when that many bits are not
// there and more input will come, the step returns NeedInput without having
// changed anything; at the member's end it goes on with what is there, and
// has() tells it whether a read reaches past the packed bytes. A hot loop
// that has 8 input bytes at hand keeps the buffer in locals, tops it up with
// refillWord() and hands it back with store().
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>
#include <cstring>

namespace ov {

struct LsbBitReader {
    std::uint64_t buffer = 0;
    unsigned count = 0;

    void reset()
    {
        buffer = 0;
        count = 0;
    }
    // Pulls whole input bytes into the buffer (up to 56 bits). True when at
    // least `wanted` bits are there or no more input will come.
    bool fill(DecodeStream& stream, unsigned wanted)
    {
        std::size_t used = 0;
        while (count <= 48 && used < stream.input.size()) {
            buffer |= std::uint64_t(stream.input[used++]) << count;
            count += 8;
        }
        stream.consume(used);
        return count >= wanted || stream.inputEnd;
    }
    bool has(unsigned bits) const { return count >= bits; }
    std::uint32_t peek(unsigned bits) const
    {
        return std::uint32_t(buffer & ((std::uint64_t(1) << bits) - 1));
    }
    void drop(unsigned bits)
    {
        buffer >>= bits;
        count -= bits;
    }
    std::uint32_t take(unsigned bits)
    {
        const std::uint32_t value = peek(bits);
        drop(bits);
        return value;
    }

    // Tops `bits` (holding `held` bits) up to 56..63 bits with one 8-byte
    // load from `in`, which must have 8 bytes, and moves `in` past the whole
    // bytes taken. The bits above `held` then repeat the next input bytes;
    // store() masks them off.
    static void refillWord(std::uint64_t& bits, unsigned& held, const std::uint8_t*& in)
    {
        std::uint64_t word;
        std::memcpy(&word, in, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        bits |= word << held;
        in += (63 - held) >> 3;
        held |= 56;
    }
    // Takes back the bits a hot loop kept in locals (the whole bytes it
    // loaded stay counted; bits above `held` are dropped).
    void store(std::uint64_t bits, unsigned held)
    {
        buffer = bits & ((std::uint64_t(1) << held) - 1);
        count = held;
    }
};

} // namespace ov
