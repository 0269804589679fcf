// LHA -lh1- (LZHUF): LZ77 over a 4096-byte window that starts filled with
// spaces; literals and match lengths (3..60) share one adaptive Huffman code
// of 314 symbols whose tree is updated after every symbol; a match's
// distance - 1 is 6 high bits in a fixed code of 3 to 8 bits plus 6 low
// bits as they stand.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lzh_input.h"
#include "archive/decoders/output_window.h"

#include <array>
#include <cstdint>

namespace ov {

struct Lh1State {
    static constexpr unsigned Symbols = 314; // 256 literals + lengths 3..60
    static constexpr unsigned Nodes = 2 * Symbols - 1; // the tree's nodes; the root is the last
    static constexpr unsigned MaxFrequency = 0x8000; // the root's count that halves all counts
    static constexpr std::size_t History = 4096;
    static constexpr std::size_t MaxMatch = 60;

    LzhInput input;
    OutputWindow window;
    // The adaptive tree: nodes sorted by count; child[n] >= Nodes names the
    // leaf of symbol child[n] - Nodes, else the left of two sibling nodes.
    std::array<std::uint32_t, Nodes + 1> count {};
    std::array<std::uint16_t, Nodes> child {};
    std::array<std::uint16_t, Nodes + Symbols> parent {};
    Status failure = Status::needInput();

    void reset(std::uint64_t unpackedSize);
};

// Decodes until unpackedSize bytes are produced (Done). A match that passes
// the unpacked size is Corrupt(BadBlock); data that ends early is
// Corrupt(UnexpectedEnd).
Status lh1Decode(DecodeStream& stream, Lh1State& state);

} // namespace ov
