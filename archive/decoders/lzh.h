// The LZH family: static Huffman blocks over a sliding dictionary, as ARJ
// methods 1-3 and LHA -lh4- to -lh7- write them. One decoder; the methods
// differ only in dictionary size, the width of the position-table count and
// whether the window starts filled with spaces.
//
// Each block starts with a 16-bit symbol count and three code-length tables
// (the lengths of the literal/length code are themselves Huffman coded);
// symbols 0-255 are literals, 256 + n a match of n + 3 bytes whose distance
// follows as a position code plus extra bits. Stored members (-lh0-, ARJ 0)
// go through storedDecode; -lh1- and ARJ 4 have their own decoders.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lzh_huffman.h"
#include "archive/decoders/lzh_input.h"
#include "archive/decoders/output_window.h"

#include <cstdint>

namespace ov {

enum class LzhMethod { Arj1, Arj2, Arj3, Lh4, Lh5, Lh6, Lh7 };

struct LzhParameters {
    unsigned dictionaryBits; // position codes 0..dictionaryBits
    unsigned countBits; // width of the position-table count
    std::size_t history; // the largest distance allowed
    bool spaceFilled; // window starts as spaces (LHA) or empty (ARJ)
};

LzhParameters lzhParameters(LzhMethod method);

struct LzhState {
    static constexpr unsigned LiteralCodes = 510; // 256 literals + lengths 3..256
    static constexpr unsigned LengthCodes = 19; // the code-length code
    static constexpr unsigned MaxMatch = 256;

    LzhParameters parameters {};
    LzhInput input;
    OutputWindow window;
    LzhHuffman literals; // literal/length code of the current block
    LzhHuffman positions;
    LzhHuffman lengths; // code-length code, used only while reading a header
    unsigned blockLeft = 0; // symbols left in the current block
    Status failure = Status::needInput();

    void reset(LzhMethod method, std::uint64_t unpackedSize);
};

// Decodes until unpackedSize bytes are produced (Done). A match that passes
// the unpacked size or reaches before the data is Corrupt(BadBlock); a
// code-length table that cannot be a code, or a code no symbol has, is
// Corrupt(BadHuffmanCode); data that ends early is Corrupt(UnexpectedEnd).
Status lzhDecode(DecodeStream& stream, LzhState& state);

} // namespace ov
