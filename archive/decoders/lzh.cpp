// LZH block decoder. Layout of a block (all fields most significant bit
// first):
//   16 bits            symbols in the block (0 stands for 65536)
//   code-length code   5-bit count n (0: a 5-bit single symbol follows);
//                      n lengths of 3 bits, 7 extended by a run of 1 bits
//                      ended by a 0; after the third length, 2 bits of
//                      zero lengths to skip
//   literal code       9-bit count (0: a 9-bit single symbol); lengths
//                      through the code-length code, where 0, 1, 2 are runs
//                      of 1, 3 + 4 bits and 20 + 9 bits zero lengths and
//                      c > 2 is the length c - 2
//   position code      count of countBits (0: a single symbol), lengths as
//                      in the code-length code without the skip
// then the symbols. A position symbol p gives the distance - 1: p itself
// for p < 2, else 2^(p-1) plus p - 1 extra bits.
#include "archive/decoders/lzh.h"

#include "archive/decoders/lzh_driver.h"

#include <algorithm>
#include <cstring>

namespace ov {

LzhParameters lzhParameters(LzhMethod method)
{
    switch (method) {
    case LzhMethod::Arj1:
    case LzhMethod::Arj2:
    case LzhMethod::Arj3:
        return { 16, 5, 26624, false };
    case LzhMethod::Lh4:
        return { 12, 4, 4096, true };
    case LzhMethod::Lh5:
        return { 13, 4, 8192, true };
    case LzhMethod::Lh6:
        return { 15, 5, 32768, true };
    case LzhMethod::Lh7:
        break;
    }
    return { 16, 5, 65536, true };
}

void LzhState::reset(LzhMethod method, std::uint64_t unpackedSize)
{
    parameters = lzhParameters(method);
    input.reset();
    window.reset(parameters.history, unpackedSize);
    if (parameters.spaceFilled)
        window.prefill(' ');
    blockLeft = 0;
    failure = Status::needInput();
}

namespace {

enum class Step { Ok, Overrun, BadTable };

// A code-length table coded with 3-bit lengths (the code-length code and the
// position code). `skipAfter` is the index after which a 2-bit count of
// zero lengths follows (0 for none).
Step readShortLengths(
    LzhInput& in, LzhHuffman& table, unsigned symbols, unsigned countBits, unsigned skipAfter)
{
    const unsigned count = in.bits(countBits);
    if (count == 0) {
        const unsigned symbol = in.bits(countBits);
        if (symbol >= symbols)
            return Step::BadTable;
        table.single(symbol);
        return Step::Ok;
    }
    if (count > symbols)
        return Step::BadTable;
    std::uint8_t lengths[32] = {};
    unsigned i = 0;
    while (i < count) {
        in.refill();
        unsigned length = in.peek(3);
        in.skip(3);
        if (length == 7) {
            while (in.peek(1)) {
                in.skip(1);
                if (++length > LzhHuffman::MaxLength)
                    return Step::BadTable;
            }
            in.skip(1);
        }
        lengths[i++] = static_cast<std::uint8_t>(length);
        if (i == skipAfter) {
            i += in.bits(2);
            if (i > symbols)
                return Step::BadTable;
        }
    }
    return table.build(lengths, symbols, 8) ? Step::Ok : Step::BadTable;
}

Step readLiteralLengths(LzhInput& in, LzhState& state)
{
    constexpr unsigned Symbols = LzhState::LiteralCodes;
    const unsigned count = in.bits(9);
    if (count == 0) {
        const unsigned symbol = in.bits(9);
        if (symbol >= Symbols)
            return Step::BadTable;
        state.literals.single(symbol);
        return Step::Ok;
    }
    if (count > Symbols)
        return Step::BadTable;
    std::uint8_t lengths[Symbols] = {};
    unsigned i = 0;
    while (i < count) {
        in.refill();
        const std::uint32_t entry = state.lengths.lookup(in.peek(16));
        if (entry == LzhHuffman::Invalid)
            return in.padded(16) ? Step::Overrun : Step::BadTable;
        in.skip(entry >> 16);
        const unsigned code = entry & 0xFFFF;
        if (code > 2) {
            lengths[i++] = static_cast<std::uint8_t>(code - 2);
            continue;
        }
        const unsigned zeros = code == 0 ? 1 : code == 1 ? in.bits(4) + 3 : in.bits(9) + 20;
        i += zeros;
        if (i > Symbols)
            return Step::BadTable;
    }
    return state.literals.build(lengths, Symbols, 12) ? Step::Ok : Step::BadTable;
}

Step readBlockHeader(LzhInput& in, LzhState& state)
{
    const unsigned symbols = in.bits(16);
    Step step = readShortLengths(in, state.lengths, LzhState::LengthCodes, 5, 3);
    if (step == Step::Ok)
        step = readLiteralLengths(in, state);
    if (step == Step::Ok)
        step = readShortLengths(
            in, state.positions, state.parameters.dictionaryBits + 1, state.parameters.countBits, 0);
    // A table built from bits past the data is not a bad table yet.
    if (in.overran() || step == Step::Overrun)
        return Step::Overrun;
    state.blockLeft = symbols ? symbols : 0x10000;
    return step;
}

// The inner loop while the input holds at least 8 unread bytes before each
// symbol: a symbol takes at most 16 + 16 + 15 bits, so one word refill
// covers it and no step can run past the data. State lives in locals
// (stores into the window would otherwise force every member to be
// reloaded). `start` is where the run began, `remaining` and `reachable`
// the limits of decodeSymbols at that point; stops at the end of the block,
// of the input's safe part or before `end`. Returns false on bad data.
bool decodeFast(LzhState& state, std::uint8_t* data, std::size_t start, std::size_t& pos, std::size_t end,
    std::uint64_t remaining, std::uint64_t reachable, int& code)
{
    LzhInput& in = state.input;
    const LzhHuffman::View literals = state.literals.view();
    const LzhHuffman::View positions = state.positions.view();
    const std::size_t history = state.parameters.history;
    const std::uint8_t* p = in.cursor();
    const std::uint8_t* const safe = in.limit() - 8;
    std::uint64_t bits = in.bitBuffer();
    int count = in.bitCount();
    unsigned left = state.blockLeft;
    std::size_t at = pos;
    bool good = true;

    while (left && at < end && p <= safe) {
        if (count <= 56)
            p = LzhInput::refillWord(p, bits, count);
        const std::uint32_t entry = literals.lookup(static_cast<std::uint32_t>(bits >> 48));
        if (entry == LzhHuffman::Invalid) {
            code = msgBadHuffmanCode;
            good = false;
            break;
        }
        bits <<= entry >> 16;
        count -= static_cast<int>(entry >> 16);
        const unsigned symbol = entry & 0xFFFF;
        if (symbol < 256) {
            data[at++] = static_cast<std::uint8_t>(symbol);
            --left;
            continue;
        }
        const std::size_t length = symbol - 253;
        const std::uint32_t place = positions.lookup(static_cast<std::uint32_t>(bits >> 48));
        if (place == LzhHuffman::Invalid) {
            code = msgBadHuffmanCode;
            good = false;
            break;
        }
        bits <<= place >> 16;
        count -= static_cast<int>(place >> 16);
        std::size_t distance = place & 0xFFFF;
        if (distance > 1) {
            const unsigned extra = static_cast<unsigned>(distance - 1);
            distance = (std::size_t(1) << extra) + static_cast<std::size_t>(bits >> (64 - extra));
            bits <<= extra;
            count -= static_cast<int>(extra);
        }
        ++distance;
        const std::uint64_t produced = at - start;
        if (distance > history || distance > reachable + produced || length > remaining - produced) {
            code = msgBadBlock;
            good = false;
            break;
        }
        std::uint8_t* to = data + at;
        const std::uint8_t* from = to - distance;
        if (distance >= 8) {
            // Whole words; `end` leaves slack in the window for the overshoot.
            for (std::size_t i = 0; i < length; i += 8)
                std::memcpy(to + i, from + i, 8);
        } else {
            for (std::size_t i = 0; i < length; ++i)
                to[i] = from[i];
        }
        at += length;
        --left;
    }
    in.release(p, bits, count);
    state.blockLeft = left;
    pos = at;
    return good;
}

// Decodes symbols into the window until it has less room than one match,
// the unpacked size is reached, the input runs short or the data is bad.
LzhRun decodeSymbols(LzhState& state, int& code)
{
    LzhInput& in = state.input;
    OutputWindow& window = state.window;
    const std::size_t history = state.parameters.history;
    std::uint8_t* const data = window.data();
    const std::size_t start = window.position();
    std::size_t pos = start;
    if (window.room() < LzhState::MaxMatch)
        return LzhRun::Room;
    const std::size_t stop = start + window.room() - LzhState::MaxMatch;
    const std::uint64_t remaining = window.remaining();
    // Bytes a back-reference may reach when pos == start.
    const std::uint64_t reachable = window.produced() + (state.parameters.spaceFilled ? history : 0);
    LzhRun result = LzhRun::Room;

    for (;;) {
        if (pos - start == remaining) {
            result = LzhRun::Done;
            break;
        }
        if (pos >= stop)
            break;
        if (state.blockLeft == 0) {
            const LzhInput::Mark mark = in.mark();
            const Step step = readBlockHeader(in, state);
            if (step == Step::Overrun) {
                in.rewind(mark);
                result = LzhRun::NeedInput;
                break;
            }
            if (step == Step::BadTable) {
                code = msgBadHuffmanCode;
                result = LzhRun::Corrupt;
                break;
            }
            continue;
        }

        if (in.fastReady() && pos + 8 < stop) {
            const std::size_t end = std::min<std::uint64_t>(stop - 8, start + remaining);
            if (!decodeFast(state, data, start, pos, end, remaining, reachable, code)) {
                result = LzhRun::Corrupt;
                break;
            }
            continue;
        }

        const LzhInput::Mark mark = in.mark();
        in.refill();
        const std::uint32_t entry = state.literals.lookup(in.peek(16));
        if (entry == LzhHuffman::Invalid) {
            if (in.padded(16)) {
                in.rewind(mark);
                result = LzhRun::NeedInput;
                break;
            }
            code = msgBadHuffmanCode;
            result = LzhRun::Corrupt;
            break;
        }
        in.skip(entry >> 16);
        const unsigned symbol = entry & 0xFFFF;
        if (symbol < 256) {
            if (in.overran()) {
                in.rewind(mark);
                result = LzhRun::NeedInput;
                break;
            }
            data[pos++] = static_cast<std::uint8_t>(symbol);
            --state.blockLeft;
            continue;
        }

        // A match: its position code and extra bits fit in what refill()
        // left (at most 16 + 15 bits after a 16-bit code).
        const std::size_t length = symbol - 253;
        const std::uint32_t place = state.positions.lookup(in.peek(16));
        if (place == LzhHuffman::Invalid) {
            if (in.padded(16)) {
                in.rewind(mark);
                result = LzhRun::NeedInput;
                break;
            }
            code = msgBadHuffmanCode;
            result = LzhRun::Corrupt;
            break;
        }
        in.skip(place >> 16);
        std::size_t distance = place & 0xFFFF;
        if (distance > 1) {
            const unsigned extra = static_cast<unsigned>(distance - 1);
            distance = (std::size_t(1) << extra) + in.peek(extra);
            in.skip(extra);
        }
        ++distance;
        if (in.overran()) {
            in.rewind(mark);
            result = LzhRun::NeedInput;
            break;
        }
        const std::uint64_t produced = pos - start;
        if (distance > history || distance > reachable + produced || length > remaining - produced) {
            code = msgBadBlock;
            result = LzhRun::Corrupt;
            break;
        }
        std::uint8_t* to = data + pos;
        const std::uint8_t* from = to - distance;
        for (std::size_t i = 0; i < length; ++i)
            to[i] = from[i];
        pos += length;
        --state.blockLeft;
    }
    window.advance(pos - start);
    return result;
}

} // namespace

Status lzhDecode(DecodeStream& stream, LzhState& state)
{
    return driveLzh(stream, state.input, state.window, state.failure,
        [&state](int& code) { return decodeSymbols(state, code); });
}

} // namespace ov
