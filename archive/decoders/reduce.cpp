// Reduce decoder (PKWARE's APPNOTE, "Reducing"). Two stages per byte: the
// follower-set stage yields a byte (one flag bit, then 8 literal bits or an
// index into the previous byte's follower set); the expansion stage turns
// 0x90 sequences into runs copied from the window.
#include "archive/decoders/reduce.h"

namespace ov {

namespace {

constexpr std::uint8_t Marker = 0x90;

Status fail(ReduceState& state, int code)
{
    state.failed = true;
    state.failure = Status::corrupt(code);
    return state.failure;
}

// Bits of an index into a set of `size` followers: enough for size - 1, and
// at least one.
unsigned indexBits(unsigned size)
{
    unsigned bits = 1;
    while ((1u << bits) < size)
        ++bits;
    return bits;
}

} // namespace

void ReduceState::reset(std::uint64_t unpackedSize, unsigned compressionFactor)
{
    bits.reset();
    window.reset(4096, unpackedSize);
    window.prefill(0);
    factor = compressionFactor < 1 ? 1 : compressionFactor > 4 ? 4 : compressionFactor;
    failed = false;
    setBeingRead = 255;
    followersRead = 0;
    countRead = false;
    lastByte = 0;
    expand = 0;
    value = 0;
    length = 0;
}

Status reduceDecode(DecodeStream& stream, ReduceState& state)
{
    if (state.failed)
        return state.failure;

    // The follower sets: a 6-bit count, then that many 8-bit bytes.
    while (state.setBeingRead >= 0) {
        if (!state.bits.fill(stream, 8))
            return Status::needInput();
        const auto set = std::size_t(state.setBeingRead);
        if (!state.countRead) {
            if (!state.bits.has(6))
                return fail(state, msgErrorReading);
            state.setSize[set] = std::uint8_t(state.bits.take(6));
            if (state.setSize[set] > 32)
                return fail(state, msgBadBlock);
            state.countRead = true;
            state.followersRead = 0;
        } else if (state.followersRead < state.setSize[set]) {
            if (!state.bits.has(8))
                return fail(state, msgErrorReading);
            state.followers[set][state.followersRead++] = std::uint8_t(state.bits.take(8));
        }
        if (state.countRead && state.followersRead == state.setSize[set]) {
            --state.setBeingRead;
            state.countRead = false;
        }
    }

    const unsigned lengthMask = 0xFFu >> state.factor;
    for (;;) {
        if (state.window.room() < 400 && !state.window.flush(stream))
            return Status::outputFull();
        if (state.window.atLimit()) {
            if (!state.window.flush(stream))
                return Status::outputFull();
            return Status::done();
        }
        // One byte from the follower-set stage: at most 1 + 8 bits.
        if (!state.bits.fill(stream, 9)) {
            state.window.flush(stream);
            return Status::needInput();
        }
        const unsigned size = state.setSize[state.lastByte];
        std::uint8_t byte;
        if (size == 0) {
            if (!state.bits.has(8))
                return fail(state, msgErrorReading);
            byte = std::uint8_t(state.bits.take(8));
        } else {
            if (!state.bits.has(1))
                return fail(state, msgErrorReading);
            if (state.bits.peek(1)) {
                if (!state.bits.has(9))
                    return fail(state, msgErrorReading);
                state.bits.drop(1);
                byte = std::uint8_t(state.bits.take(8));
            } else {
                const unsigned width = indexBits(size);
                if (!state.bits.has(1 + width))
                    return fail(state, msgErrorReading);
                state.bits.drop(1);
                const unsigned index = state.bits.take(width);
                if (index >= size)
                    return fail(state, msgBadBlock);
                byte = state.followers[state.lastByte][index];
            }
        }
        state.lastByte = byte;

        // The expansion stage.
        switch (state.expand) {
        case 0:
            if (byte == Marker) {
                state.expand = 1;
                break;
            }
            if (!state.window.put(byte))
                return fail(state, msgBadBlock);
            break;
        case 1:
            if (byte == 0) {
                state.expand = 0;
                if (!state.window.put(Marker))
                    return fail(state, msgBadBlock);
                break;
            }
            state.value = byte;
            state.length = byte & lengthMask;
            state.expand = state.length == lengthMask ? 2 : 3;
            break;
        case 2:
            state.length += byte;
            state.expand = 3;
            break;
        default: {
            const std::size_t distance = ((state.value >> (8 - state.factor)) << 8) + byte + 1;
            state.expand = 0;
            if (!state.window.reaches(distance))
                return fail(state, msgBadBlock);
            if (!state.window.copy(distance, state.length + 3))
                return fail(state, msgBadBlock);
            break;
        }
        }
    }
}

} // namespace ov
