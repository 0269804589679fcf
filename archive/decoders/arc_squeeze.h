// ARC method 4 ("squeezed"): a Huffman tree stored as a node count (16 bits)
// and two 16-bit children per node (a child >= 0 is a node, -1 - c the leaf
// of symbol c, 256 the end), then the codes, least significant bit of each
// byte first; the decoded bytes are run-length coded (see ArcOutput).
#pragma once

#include "archive/decoders/arc_output.h"

#include <array>
#include <cstdint>

namespace ov {

struct ArcSqueezeState {
    static constexpr unsigned MaxNodes = 256;
    static constexpr unsigned EndSymbol = 256;

    ArcOutput output;
    std::array<std::uint8_t, 2 + 4 * MaxNodes> header {}; // count and nodes as stored
    unsigned headerHave = 0;
    unsigned nodes = 0;
    std::array<std::int16_t, 2 * MaxNodes> child {};
    unsigned node = 0; // where the current code has got to
    bool finished = false;
    Status failure = Status::needInput();

    void reset(std::uint64_t unpackedSize);
};

// Done at the end symbol or the end of the data when exactly unpackedSize
// bytes came out. A node
// count above 256 or a child outside the tree is Corrupt(InvalidDecodeTree);
// less output Corrupt(UnexpectedEnd), more Corrupt(BadBlock).
Status arcSqueezeDecode(DecodeStream& stream, ArcSqueezeState& state);

} // namespace ov
