// ARC method 8 ("crunched") and 9 ("squashed"): LZW with codes that widen
// from 9 bits up to 12 (method 8) or 13 (method 9), least significant bit
// first, read in groups of as many bytes as the code width; a change of
// width or a clear code (256) drops the rest of the group. Method 8 starts
// with a byte giving the largest width (12) and run-length codes its output
// (see ArcOutput); method 9 has neither.
#pragma once

#include "archive/decoders/arc_output.h"

#include <array>
#include <cstdint>

namespace ov {

enum class ArcCrunchMethod { Crunch8, Squash9 };

struct ArcCrunchState {
    static constexpr unsigned MaxEntries = 8192;
    static constexpr unsigned Clear = 256;
    static constexpr unsigned FirstFree = 257;

    ArcCrunchMethod method = ArcCrunchMethod::Crunch8;
    ArcOutput output;
    std::array<std::uint16_t, MaxEntries> prefix {};
    std::array<std::uint8_t, MaxEntries> suffix {};
    std::array<std::uint16_t, MaxEntries> length {}; // bytes in each entry's string
    unsigned maxWidth = 0; // 0 until method 8's first byte is read
    unsigned width = 9;
    unsigned nextFree = FirstFree;
    bool clearing = false; // a clear code came: the next group starts at 9 bits
    std::array<std::uint8_t, 16> group {};
    unsigned groupHave = 0; // bytes in the group
    unsigned groupBits = 0; // bits of the group that hold whole codes
    unsigned groupUsed = 0; // bits of the group already taken
    bool groupOpen = false; // a group is being read
    int previous = -1;
    std::uint8_t firstByte = 0;
    Status failure = Status::needInput();

    void reset(ArcCrunchMethod method, std::uint64_t unpackedSize);
};

// Done at the end of the packed data when exactly unpackedSize bytes came
// out. A width byte other than 12 is Corrupt(IncorrectBits); a code beyond
// the next free entry Corrupt(InvalidCode); more output Corrupt(BadBlock),
// less Corrupt(UnexpectedEnd).
Status arcCrunchDecode(DecodeStream& stream, ArcCrunchState& state);

} // namespace ov
