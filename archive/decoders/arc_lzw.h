// ARC methods 5, 6 and 7 (the first "crunched" methods): LZW with fixed
// 12-bit codes (most significant bit first, two codes in three bytes) over a
// 4096-entry table whose entries live where a hash of (prefix code, byte)
// puts them; the 256 single bytes are hashed in first, with no prefix.
// Method 5 writes the decoded bytes as they are; 6 and 7 run-length code
// them first (see ArcOutput). 5 and 6 use the mid-square hash of the first
// ARC versions, 7 a multiplicative one. A taken slot sends the entry to the
// end of that slot's chain, then 101 slots on, then to the next free slot.
#pragma once

#include "archive/decoders/arc_output.h"

#include <array>
#include <cstdint>

namespace ov {

enum class ArcLzwMethod { Crunch5, Crunch6, Crunch7 };

struct ArcLzwState {
    static constexpr unsigned TableSize = 4096;
    static constexpr std::uint16_t NoPrefix = 0xFFFF;

    ArcLzwMethod method = ArcLzwMethod::Crunch5;
    ArcOutput output;
    std::array<std::uint16_t, TableSize> prefix {};
    std::array<std::uint8_t, TableSize> suffix {};
    std::array<std::uint16_t, TableSize> chain {}; // next slot of the same hash (0: none)
    std::array<bool, TableSize> used {};
    unsigned entries = 0;
    std::uint32_t bits = 0; // input bits not yet used, low `bitCount` bits
    unsigned bitCount = 0;
    int previous = -1; // the code before, -1 at the start
    std::uint8_t firstByte = 0; // first byte of the previous code's string
    Status failure = Status::needInput();

    void reset(ArcLzwMethod method, std::uint64_t unpackedSize);
};

// Done at the end of the packed data when exactly unpackedSize bytes came
// out. A code no entry has (and that is not the one being made) is
// Corrupt(InvalidCode); more output is Corrupt(BadBlock), less
// Corrupt(UnexpectedEnd).
Status arcLzwDecode(DecodeStream& stream, ArcLzwState& state);

} // namespace ov
