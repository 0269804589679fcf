// ARJ method 4 ("fastest"): LZ77 without Huffman coding. Each item starts
// with a length field in a unary-prefixed code; 0 is a literal (8 bits), any
// other value n a match of n + 2 bytes whose distance - 1 follows in a second
// unary-prefixed code (9 to 13 value bits). The window is 26624 bytes.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lzh_input.h"
#include "archive/decoders/output_window.h"

#include <cstdint>

namespace ov {

struct Arj4State {
    static constexpr std::size_t History = 26624;
    static constexpr std::size_t MaxMatch = 256;

    LzhInput input;
    OutputWindow window;
    Status failure = Status::needInput();

    void reset(std::uint64_t unpackedSize);
};

// Decodes until unpackedSize bytes are produced (Done). A match that reaches
// before the data or passes the unpacked size is Corrupt(BadBlock); data that
// ends early is Corrupt(UnexpectedEnd).
Status arj4Decode(DecodeStream& stream, Arj4State& state);

} // namespace ov
