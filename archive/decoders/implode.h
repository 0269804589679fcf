// Implode (ZIP method 6): Shannon-Fano coded literals, lengths and distances
// over a sliding window of 4096 or 8192 bytes (general-purpose flag bit 1),
// with a literal tree when flag bit 2 is set (else literals are 8 raw bits).
// The trees come first, each as a byte count and run-length coded bit
// lengths. Back-references before the first byte read zeros, as the window
// starts zero-filled.
//
// Errors: a tree whose runs do not give exactly its number of values is
// BadBlock; a tree whose lengths over-fill the code space is AmbiguousTree;
// an unused code, or output past the unpacked size, is BadBlock; input that
// ends early is UnexpectedEnd.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lsb_bit_reader.h"
#include "archive/decoders/output_window.h"

#include <array>
#include <cstdint>

namespace ov {

struct ImplodeState {
    struct Tree {
        std::array<std::uint16_t, 17> perLength {};
        std::array<std::uint16_t, 256> symbols {}; // by (length, value)
    };

    // flags: the member's general-purpose bit flags.
    void reset(std::uint64_t unpackedSize, unsigned flags);

    LsbBitReader bits;
    OutputWindow window;
    bool bigWindow = false;
    bool literalTree = false;
    bool failed = false;
    Status failure = Status::done();

    // Tree reading: which tree (0 literal, 1 length, 2 distance, 3 done),
    // its description bytes gathered so far.
    unsigned treeBeingRead = 0;
    unsigned descriptionSize = 0; // 0: the count byte is not read yet
    unsigned descriptionRead = 0;
    std::array<std::uint8_t, 256> description {};
    Tree literals;
    Tree lengths;
    Tree distances;
};

Status implodeDecode(DecodeStream& stream, ImplodeState& state);

} // namespace ov
