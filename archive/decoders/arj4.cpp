#include "archive/decoders/arj4.h"

#include "archive/decoders/lzh_driver.h"

namespace ov {

void Arj4State::reset(std::uint64_t unpackedSize)
{
    input.reset();
    window.reset(History, unpackedSize);
    failure = Status::needInput();
}

namespace {

// A unary-prefixed number: up to (last - first) 1 bits, each doubling the
// base, ended by a 0 bit unless all are there; then as many value bits as
// the prefix reached (starting at `first`).
std::uint32_t prefixedNumber(LzhInput& in, unsigned first, unsigned last)
{
    std::uint32_t base = 0;
    unsigned width = first;
    for (; width < last; ++width) {
        const bool more = in.peek(1);
        in.skip(1);
        if (!more)
            break;
        base += 1u << width;
    }
    const std::uint32_t value = base + in.peek(width);
    in.skip(width);
    return value;
}

LzhRun decodeItems(Arj4State& state, int& code)
{
    LzhInput& in = state.input;
    OutputWindow& window = state.window;
    while (window.room() >= Arj4State::MaxMatch && !window.atLimit()) {
        // One item takes at most 7 + 7 + 4 + 13 bits: one refill covers it.
        const LzhInput::Mark mark = in.mark();
        in.refill();
        const std::uint32_t length = prefixedNumber(in, 0, 7);
        if (length == 0) {
            const std::uint32_t literal = in.peek(8);
            in.skip(8);
            if (in.overran()) {
                in.rewind(mark);
                return LzhRun::NeedInput;
            }
            window.put(static_cast<std::uint8_t>(literal));
            continue;
        }
        const std::size_t distance = prefixedNumber(in, 9, 13) + 1;
        if (in.overran()) {
            in.rewind(mark);
            return LzhRun::NeedInput;
        }
        if (!window.reaches(distance) || !window.copy(distance, length + 2)) {
            code = msgBadBlock;
            return LzhRun::Corrupt;
        }
    }
    return window.atLimit() ? LzhRun::Done : LzhRun::Room;
}

} // namespace

Status arj4Decode(DecodeStream& stream, Arj4State& state)
{
    return driveLzh(stream, state.input, state.window, state.failure,
        [&state](int& code) { return decodeItems(state, code); });
}

} // namespace ov
