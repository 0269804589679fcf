// The adaptive code follows the LZHUF scheme (Okumura, 1988): leaves start
// with count 1, a symbol's count and its ancestors' grow by one after each
// use, and a node whose count passes its right neighbour's swaps places with
// the last node of equal-or-lower count, keeping counts in order. When the
// root reaches 0x8000 the tree is rebuilt from the halved leaf counts.
#include "archive/decoders/lh1.h"

#include "archive/decoders/lzh_driver.h"

#include <cstring>

namespace ov {

namespace {

constexpr unsigned Root = Lh1State::Nodes - 1;
constexpr unsigned Leaf = Lh1State::Nodes; // child values from here on are leaves

void buildTree(Lh1State& state)
{
    for (unsigned symbol = 0; symbol < Lh1State::Symbols; ++symbol) {
        state.count[symbol] = 1;
        state.child[symbol] = static_cast<std::uint16_t>(symbol + Leaf);
        state.parent[symbol + Leaf] = static_cast<std::uint16_t>(symbol);
    }
    for (unsigned from = 0, node = Lh1State::Symbols; node <= Root; from += 2, ++node) {
        state.count[node] = state.count[from] + state.count[from + 1];
        state.child[node] = static_cast<std::uint16_t>(from);
        state.parent[from] = state.parent[from + 1] = static_cast<std::uint16_t>(node);
    }
    state.count[Lh1State::Nodes] = 0xFFFFFFFFu; // stops the search for a larger count
    state.parent[Root] = 0;
}

// Halves the leaf counts and builds the inner nodes again, each inserted
// where its count keeps the order.
void rebuildTree(Lh1State& state)
{
    unsigned kept = 0;
    for (unsigned node = 0; node < Lh1State::Nodes; ++node) {
        if (state.child[node] >= Leaf) {
            state.count[kept] = (state.count[node] + 1) / 2;
            state.child[kept] = state.child[node];
            ++kept;
        }
    }
    for (unsigned from = 0, node = Lh1State::Symbols; node < Lh1State::Nodes; from += 2, ++node) {
        const std::uint32_t sum = state.count[from] + state.count[from + 1];
        unsigned at = node;
        while (sum < state.count[at - 1])
            --at;
        std::memmove(&state.count[at + 1], &state.count[at], (node - at) * sizeof(state.count[0]));
        std::memmove(&state.child[at + 1], &state.child[at], (node - at) * sizeof(state.child[0]));
        state.count[at] = sum;
        state.child[at] = static_cast<std::uint16_t>(from);
    }
    for (unsigned node = 0; node < Lh1State::Nodes; ++node) {
        const unsigned c = state.child[node];
        state.parent[c] = static_cast<std::uint16_t>(node);
        if (c < Leaf)
            state.parent[c + 1] = static_cast<std::uint16_t>(node);
    }
}

void countUse(Lh1State& state, unsigned symbol)
{
    if (state.count[Root] == Lh1State::MaxFrequency)
        rebuildTree(state);
    unsigned node = state.parent[symbol + Leaf];
    do {
        const std::uint32_t grown = ++state.count[node];
        if (grown > state.count[node + 1]) {
            // Swap with the last node whose count is still below.
            unsigned other = node + 1;
            while (grown > state.count[other + 1])
                ++other;
            state.count[node] = state.count[other];
            state.count[other] = grown;

            const unsigned mine = state.child[node];
            state.parent[mine] = static_cast<std::uint16_t>(other);
            if (mine < Leaf)
                state.parent[mine + 1] = static_cast<std::uint16_t>(other);
            const unsigned theirs = state.child[other];
            state.child[other] = static_cast<std::uint16_t>(mine);
            state.parent[theirs] = static_cast<std::uint16_t>(node);
            if (theirs < Leaf)
                state.parent[theirs + 1] = static_cast<std::uint16_t>(node);
            state.child[node] = static_cast<std::uint16_t>(theirs);
            node = other;
        }
        node = state.parent[node];
    } while (node != 0);
}

// The fixed code of the distance's high 6 bits: code lengths 3 to 8 for
// 1, 3, 8, 12, 24 and 16 symbols, canonical in symbol order.
struct HighBitsCode {
    std::uint8_t symbol[256];
    std::uint8_t length[256];

    constexpr HighBitsCode()
        : symbol()
        , length()
    {
        const unsigned perLength[] = { 1, 3, 8, 12, 24, 16 };
        unsigned code = 0; // left-aligned in 8 bits
        unsigned next = 0;
        for (unsigned i = 0; i < 6; ++i) {
            const unsigned bits = i + 3;
            for (unsigned n = 0; n < perLength[i]; ++n, ++next) {
                for (unsigned fill = 0; fill < (1u << (8 - bits)); ++fill) {
                    symbol[code + fill] = static_cast<std::uint8_t>(next);
                    length[code + fill] = static_cast<std::uint8_t>(bits);
                }
                code += 1u << (8 - bits);
            }
        }
    }
};
constexpr HighBitsCode HighBits;

LzhRun decodeSymbols(Lh1State& state, int& code)
{
    LzhInput& in = state.input;
    OutputWindow& window = state.window;
    while (window.room() >= Lh1State::MaxMatch && !window.atLimit()) {
        // Walk from the root to a leaf; the tree changes only once the
        // whole item is known to be in the input.
        const LzhInput::Mark mark = in.mark();
        unsigned node = state.child[Root];
        while (node < Leaf) {
            in.refill();
            node = state.child[node + in.peek(1)];
            in.skip(1);
        }
        const unsigned symbol = node - Leaf;
        std::size_t distance = 0;
        if (symbol >= 256) {
            in.refill();
            const unsigned high = in.peek(8);
            in.skip(HighBits.length[high]);
            distance = (std::size_t(HighBits.symbol[high]) << 6 | in.peek(6)) + 1;
            in.skip(6);
        }
        if (in.overran()) {
            in.rewind(mark);
            return LzhRun::NeedInput;
        }
        countUse(state, symbol);
        if (symbol < 256) {
            window.put(static_cast<std::uint8_t>(symbol));
            continue;
        }
        if (!window.reaches(distance) || !window.copy(distance, symbol - 253)) {
            code = msgBadBlock;
            return LzhRun::Corrupt;
        }
    }
    return window.atLimit() ? LzhRun::Done : LzhRun::Room;
}

} // namespace

void Lh1State::reset(std::uint64_t unpackedSize)
{
    input.reset();
    window.reset(History, unpackedSize);
    window.prefill(' ');
    buildTree(*this);
    failure = Status::needInput();
}

Status lh1Decode(DecodeStream& stream, Lh1State& state)
{
    return driveLzh(stream, state.input, state.window, state.failure,
        [&state](int& code) { return decodeSymbols(state, code); });
}

} // namespace ov
