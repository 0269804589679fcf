// Shrink (ZIP method 1): dynamic LZW with codes of 9 to 13 bits and an
// 8192-entry table. Code 256 is a control code: followed by 1 it widens the
// codes by one bit, followed by 2 it frees every entry that is no other
// entry's prefix ("partial clear"); freed entries are reused lowest first.
//
// Errors: a code that names an unused entry other than the next one to be
// made, or a width past 13 bits, is InvalidCode; a string deeper than the
// table is StackOverflow; code 256 with another follower, or output past the
// unpacked size, is BadBlock.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lsb_bit_reader.h"
#include "archive/decoders/output_window.h"

#include <array>
#include <cstdint>

namespace ov {

struct ShrinkState {
    static constexpr unsigned TableSize = 8192;

    void reset(std::uint64_t unpackedSize);

    LsbBitReader bits;
    OutputWindow window;
    unsigned codeWidth = 9;
    int previous = -1; // the last code read, -1 before the first
    unsigned nextFree = 257;
    bool failed = false;
    Status failure = Status::done();
    std::array<std::uint16_t, TableSize> prefix {};
    std::array<std::uint8_t, TableSize> suffix {};
    std::array<bool, TableSize> used {};
    std::array<std::uint8_t, TableSize> stack {};
};

Status shrinkDecode(DecodeStream& stream, ShrinkState& state);

} // namespace ov
