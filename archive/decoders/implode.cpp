// Implode decoder (PKWARE's APPNOTE, "Imploding"). Shannon-Fano codes are the
// bitwise complement of canonical Huffman codes of the same lengths (the
// longest, last values get the smallest codes), so codes are decoded
// canonically over inverted bits. Each step is one literal or one match: at
// most 1 + 7 + 16 + 16 + 8 bits.
#include "archive/decoders/implode.h"

namespace ov {

namespace {

Status fail(ImplodeState& state, int code)
{
    state.failed = true;
    state.failure = Status::corrupt(code);
    return state.failure;
}

// Builds a tree of `count` values from its description: each byte is a run,
// low nibble bit length - 1, high nibble run length - 1. Returns 0 or a
// message code.
int buildTree(ImplodeState::Tree& tree, const std::uint8_t* description, unsigned size, unsigned count)
{
    std::array<std::uint8_t, 256> lengths {};
    unsigned values = 0;
    for (unsigned i = 0; i < size; ++i) {
        const unsigned length = (description[i] & 15) + 1;
        const unsigned run = (description[i] >> 4) + 1;
        if (values + run > count)
            return msgBadBlock;
        for (unsigned r = 0; r < run; ++r)
            lengths[values++] = std::uint8_t(length);
    }
    if (values != count)
        return msgBadBlock;
    tree.perLength.fill(0);
    for (unsigned value = 0; value < count; ++value)
        ++tree.perLength[lengths[value]];
    long left = 1;
    for (unsigned length = 1; length <= 16; ++length) {
        left = left * 2 - tree.perLength[length];
        if (left < 0)
            return msgAmbiguousTree;
    }
    unsigned next = 0;
    for (unsigned length = 1; length <= 16; ++length)
        for (unsigned value = 0; value < count; ++value)
            if (lengths[value] == length)
                tree.symbols[next++] = std::uint16_t(value);
    return 0;
}

// Decodes one value from the bits at hand (inverted, first bit first).
// Returns the value, -1 when the bits run out, -2 for an unused code.
int decodeValue(const ImplodeState::Tree& tree, std::uint64_t bits, unsigned available, unsigned& used)
{
    int code = 0, first = 0, index = 0;
    for (unsigned length = 1; length <= 16; ++length) {
        if (length > available)
            return -1;
        code |= int(~(bits >> (length - 1)) & 1);
        const int count = tree.perLength[length];
        if (code - first < count) {
            used = length;
            return tree.symbols[std::size_t(index + code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -2;
}

} // namespace

void ImplodeState::reset(std::uint64_t unpackedSize, unsigned flags)
{
    bits.reset();
    bigWindow = flags & 2;
    literalTree = flags & 4;
    window.reset(bigWindow ? 8192 : 4096, unpackedSize);
    window.prefill(0);
    failed = false;
    treeBeingRead = literalTree ? 0 : 1;
    descriptionSize = 0;
    descriptionRead = 0;
}

Status implodeDecode(DecodeStream& stream, ImplodeState& state)
{
    if (state.failed)
        return state.failure;

    // The trees, byte by byte.
    while (state.treeBeingRead < 3) {
        if (!state.bits.fill(stream, 8))
            return Status::needInput();
        if (!state.bits.has(8))
            return fail(state, msgErrorReading);
        const std::uint8_t byte = std::uint8_t(state.bits.take(8));
        if (state.descriptionSize == 0) {
            state.descriptionSize = byte + 1u;
            state.descriptionRead = 0;
            continue;
        }
        state.description[state.descriptionRead++] = byte;
        if (state.descriptionRead < state.descriptionSize)
            continue;
        ImplodeState::Tree& tree = state.treeBeingRead == 0 ? state.literals
            : state.treeBeingRead == 1                      ? state.lengths
                                                            : state.distances;
        const unsigned count = state.treeBeingRead == 0 ? 256 : 64;
        if (int code = buildTree(tree, state.description.data(), state.descriptionSize, count))
            return fail(state, code);
        ++state.treeBeingRead;
        state.descriptionSize = 0;
    }

    const unsigned lowBits = state.bigWindow ? 7 : 6;
    const unsigned minimumLength = state.literalTree ? 3 : 2;
    for (;;) {
        if (state.window.room() < 400 && !state.window.flush(stream))
            return Status::outputFull();
        if (state.window.atLimit()) {
            if (!state.window.flush(stream))
                return Status::outputFull();
            return Status::done();
        }
        if (!state.bits.fill(stream, 48)) {
            state.window.flush(stream);
            return Status::needInput();
        }
        const std::uint64_t buffer = state.bits.buffer;
        const unsigned available = state.bits.count;
        if (available < 1)
            return fail(state, msgErrorReading);
        unsigned used = 0;
        if (buffer & 1) {
            int literal;
            if (state.literalTree) {
                literal = decodeValue(state.literals, buffer >> 1, available - 1, used);
            } else {
                literal = available >= 9 ? int((buffer >> 1) & 0xFF) : -1;
                used = 8;
            }
            if (literal == -1)
                return fail(state, msgErrorReading);
            if (literal < 0)
                return fail(state, msgBadBlock);
            state.bits.drop(1 + used);
            if (!state.window.put(std::uint8_t(literal)))
                return fail(state, msgBadBlock);
            continue;
        }
        unsigned position = 1 + lowBits;
        if (available < position)
            return fail(state, msgErrorReading);
        const unsigned low = unsigned(buffer >> 1) & ((1u << lowBits) - 1);
        const int high = decodeValue(state.distances, buffer >> position, available - position, used);
        if (high == -1)
            return fail(state, msgErrorReading);
        if (high < 0)
            return fail(state, msgBadBlock);
        position += used;
        int length = decodeValue(state.lengths, buffer >> position, available - position, used);
        if (length == -1)
            return fail(state, msgErrorReading);
        if (length < 0)
            return fail(state, msgBadBlock);
        position += used;
        if (length == 63) {
            if (available < position + 8)
                return fail(state, msgErrorReading);
            length += int((buffer >> position) & 0xFF);
            position += 8;
        }
        state.bits.drop(position);
        const std::size_t distance = ((std::size_t(high) << lowBits) | low) + 1;
        if (!state.window.reaches(distance))
            return fail(state, msgBadBlock);
        if (!state.window.copy(distance, std::size_t(length) + minimumLength))
            return fail(state, msgBadBlock);
    }
}

} // namespace ov
