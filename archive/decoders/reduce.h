// Reduce (ZIP methods 2 to 5, compression factor 1 to 4): bytes come from
// 256 follower sets (each up to 32 likely successors of a byte) and then go
// through a run-length / back-reference expansion keyed on the byte 0x90,
// over a 4096-byte window. Back-references before the first byte read zeros,
// as the window starts zero-filled.
//
// Errors: a follower set longer than 32 or a follower index past its set is
// BadBlock, so is output past the unpacked size; input that ends early is
// UnexpectedEnd.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lsb_bit_reader.h"
#include "archive/decoders/output_window.h"

#include <array>
#include <cstdint>

namespace ov {

struct ReduceState {
    // factor: 1 to 4 (method - 1).
    void reset(std::uint64_t unpackedSize, unsigned factor);

    LsbBitReader bits;
    OutputWindow window;
    unsigned factor = 1;
    bool failed = false;
    Status failure = Status::done();

    // Follower sets, read from 255 down to 0.
    int setBeingRead = 255;
    unsigned followersRead = 0;
    bool countRead = false;
    std::array<std::uint8_t, 256> setSize {};
    std::array<std::array<std::uint8_t, 32>, 256> followers {};

    std::uint8_t lastByte = 0;
    // Expansion: 0 plain, 1 after 0x90, 2 reading the length byte, 3 reading
    // the distance byte.
    unsigned expand = 0;
    unsigned value = 0;
    unsigned length = 0;
};

Status reduceDecode(DecodeStream& stream, ReduceState& state);

} // namespace ov
