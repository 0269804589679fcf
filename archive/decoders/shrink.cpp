// Shrink decoder. Each step reads one code (two for a control code, at most
// 26 bits), expands it through the prefix chain onto a stack and writes the
// string; the entry for the previous code plus this string's first byte is
// made at the lowest free slot.
#include "archive/decoders/shrink.h"

namespace ov {

namespace {

Status fail(ShrinkState& state, int code)
{
    state.failed = true;
    state.failure = Status::corrupt(code);
    return state.failure;
}

// Frees every entry above 256 that is in use but no entry's prefix.
void partialClear(ShrinkState& state)
{
    std::array<bool, ShrinkState::TableSize> isPrefix {};
    for (unsigned code = 257; code < ShrinkState::TableSize; ++code)
        if (state.used[code])
            isPrefix[state.prefix[code]] = true;
    for (unsigned code = 257; code < ShrinkState::TableSize; ++code)
        if (!isPrefix[code])
            state.used[code] = false;
    state.nextFree = 257;
    while (state.nextFree < ShrinkState::TableSize && state.used[state.nextFree])
        ++state.nextFree;
}

} // namespace

void ShrinkState::reset(std::uint64_t unpackedSize)
{
    bits.reset();
    window.reset(0, unpackedSize);
    codeWidth = 9;
    previous = -1;
    nextFree = 257;
    failed = false;
    used.fill(false);
    for (unsigned code = 0; code < 256; ++code) {
        used[code] = true;
        suffix[code] = std::uint8_t(code);
        prefix[code] = 0;
    }
}

Status shrinkDecode(DecodeStream& stream, ShrinkState& state)
{
    if (state.failed)
        return state.failure;
    for (;;) {
        if (!state.window.flush(stream))
            return Status::outputFull();
        if (state.window.atLimit())
            return Status::done();
        if (!state.bits.fill(stream, 2 * state.codeWidth))
            return Status::needInput();
        if (!state.bits.has(state.codeWidth))
            return fail(state, msgErrorReading);
        const unsigned code = state.bits.peek(state.codeWidth);
        if (code == 256) {
            if (!state.bits.has(2 * state.codeWidth))
                return fail(state, msgErrorReading);
            state.bits.drop(state.codeWidth);
            const unsigned follower = state.bits.take(state.codeWidth);
            if (follower == 1) {
                if (++state.codeWidth > 13)
                    return fail(state, msgInvalidCode);
            } else if (follower == 2) {
                partialClear(state);
            } else {
                return fail(state, msgBadBlock);
            }
            continue;
        }
        state.bits.drop(state.codeWidth);

        // Expand the string backwards onto the stack.
        std::size_t top = ShrinkState::TableSize;
        unsigned walk = code;
        const bool ahead = !state.used[code];
        if (ahead) {
            // Only the entry about to be made may be named before it exists:
            // the previous string plus its own first byte, kept in the last
            // stack slot.
            if (state.previous < 0 || code != state.nextFree)
                return fail(state, msgInvalidCode);
            walk = unsigned(state.previous);
            --top;
        } else if (state.previous < 0 && code > 255) {
            return fail(state, msgInvalidCode);
        }
        for (;;) {
            if (top == 0)
                return fail(state, msgStackOverflow);
            state.stack[--top] = state.suffix[walk];
            if (walk < 256)
                break;
            walk = state.prefix[walk];
        }
        const std::uint8_t first = state.stack[top];
        if (ahead)
            state.stack[ShrinkState::TableSize - 1] = first;
        for (std::size_t i = top; i < ShrinkState::TableSize; ++i)
            if (!state.window.put(state.stack[i]))
                return fail(state, msgBadBlock);

        if (state.previous >= 0 && state.nextFree < ShrinkState::TableSize) {
            state.prefix[state.nextFree] = std::uint16_t(state.previous);
            state.suffix[state.nextFree] = first;
            state.used[state.nextFree] = true;
            while (state.nextFree < ShrinkState::TableSize && state.used[state.nextFree])
                ++state.nextFree;
        }
        state.previous = int(code);
    }
}

} // namespace ov
