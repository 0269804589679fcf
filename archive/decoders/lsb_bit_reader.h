// A bit reader for the resumable decoders: bits come least significant
// first out of a 64-bit buffer kept in the decoder's state. A decoder step
// calls fill(most bits the step may need) first: when that many bits are not
// there and more input will come, the step returns NeedInput without having
// changed anything; at the member's end it goes on with what is there, and
// has() tells it whether a read reaches past the packed bytes.
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>

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
    std::uint32_t peek(unsigned bits) const { return std::uint32_t(buffer & ((std::uint64_t(1) << bits) - 1)); }
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
};

} // namespace ov
