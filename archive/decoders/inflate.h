// Deflate (ZIP method 8, RFC 1951) decoder: raw deflate data, no zlib or
// gzip wrapper. Table-driven: a 10-bit first-level table for literals and
// lengths and an 8-bit one for distances, with second-level tables for longer
// codes; a fast loop runs while at least 8 input bytes and a full match of
// output room are at hand, and a resumable slow path does the rest, so the
// input may arrive one byte at a time.
//
// Errors: invalid block type, bad symbol or distance, more output than the
// unpacked size and stored-block lengths that disagree are BadBlock; bad code
// length data is BadLengths (over-subscribed, bad repeat, too many symbols,
// no end-of-block code) or IncompleteCodeSet; input that ends inside the data
// is UnexpectedEnd.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lsb_bit_reader.h"
#include "archive/decoders/output_window.h"

#include <array>
#include <cstdint>

namespace ov {

struct InflateState {
    enum class Mode {
        BlockHeader,
        StoredHeader,
        StoredCopy,
        TableSizes,
        CodeLengthLengths,
        CodeLengths,
        Codes,
        Done,
        Bad
    };

    // Starts a new member of unpackedSize bytes.
    void reset(std::uint64_t unpackedSize);

    Mode mode = Mode::BlockHeader;
    bool lastBlock = false;
    bool fixedTablesLoaded = false;
    // The member ended on stored-block lengths that disagree (the ZIP
    // extractor stops its run on it).
    bool badStoredLength = false;
    Status failure = Status::done();

    LsbBitReader bits;

    std::uint32_t storedRemaining = 0;
    unsigned literalCount = 0;
    unsigned distanceCount = 0;
    unsigned codeLengthCount = 0;
    unsigned lengthsRead = 0;
    std::array<std::uint8_t, 320> lengths {};

    static constexpr unsigned LiteralRootBits = 10;
    static constexpr unsigned DistanceRootBits = 8;
    // Each second-level table has 2^(15 - root) entries, one per symbol at most.
    std::array<std::uint32_t, (1u << LiteralRootBits) + 288 * (1u << (15 - LiteralRootBits))> literalTable {};
    std::array<std::uint32_t, (1u << DistanceRootBits) + 32 * (1u << (15 - DistanceRootBits))>
        distanceTable {};
    std::array<std::uint32_t, 128> codeLengthTable {};

    OutputWindow window;
};

Status inflateDecode(DecodeStream& stream, InflateState& state);

} // namespace ov
