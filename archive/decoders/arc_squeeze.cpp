#include "archive/decoders/arc_squeeze.h"

#include <algorithm>

namespace ov {

void ArcSqueezeState::reset(std::uint64_t unpackedSize)
{
    output.reset(unpackedSize, ArcRunLength::On);
    headerHave = 0;
    nodes = 0;
    node = 0;
    finished = false;
    failure = Status::needInput();
}

namespace {

// Takes the tree bytes; false when the tree cannot be walked safely.
bool readTree(ArcSqueezeState& state)
{
    for (unsigned i = 0; i < 2 * state.nodes; ++i) {
        const std::uint8_t* at = &state.header[2 + 2 * i];
        const auto value = static_cast<std::int16_t>(at[0] | at[1] << 8);
        if (value >= static_cast<int>(state.nodes)
            || value < -1 - static_cast<int>(ArcSqueezeState::EndSymbol))
            return false;
        state.child[i] = value;
    }
    return true;
}

ArcStep step(ArcSqueezeState& state, DecodeStream& stream, int& code)
{
    if (state.finished)
        return ArcStep::Finished;
    // The tree: its size first, then its nodes.
    const unsigned headerSize = state.headerHave < 2 ? 2 : 2 + 4 * state.nodes;
    if (state.headerHave < headerSize) {
        const std::size_t count = std::min<std::size_t>(headerSize - state.headerHave, stream.input.size());
        std::copy_n(stream.input.begin(), count, state.header.begin() + state.headerHave);
        stream.consume(count);
        state.headerHave += static_cast<unsigned>(count);
        if (state.headerHave < headerSize)
            return ArcStep::NeedInput;
        if (headerSize == 2) {
            state.nodes = state.header[0] | state.header[1] << 8;
            if (state.nodes > ArcSqueezeState::MaxNodes) {
                code = msgInvalidDecodeTree;
                return ArcStep::Corrupt;
            }
            if (state.nodes == 0) { // an empty member
                state.finished = true;
                return ArcStep::Finished;
            }
            return ArcStep::Staged;
        }
        if (!readTree(state)) {
            code = msgInvalidDecodeTree;
            return ArcStep::Corrupt;
        }
    }

    std::vector<std::uint8_t>& staged = state.output.staged();
    std::size_t used = 0;
    while (used < stream.input.size() && staged.size() < 8192) {
        const std::uint8_t byte = stream.input[used++];
        for (unsigned bit = 0; bit < 8; ++bit) {
            const std::int16_t next = state.child[2 * state.node + (byte >> bit & 1)];
            if (next >= 0) {
                state.node = static_cast<unsigned>(next);
                continue;
            }
            state.node = 0;
            const unsigned symbol = static_cast<unsigned>(-1 - next);
            if (symbol == ArcSqueezeState::EndSymbol) {
                stream.consume(used);
                state.finished = true;
                return ArcStep::Finished;
            }
            staged.push_back(static_cast<std::uint8_t>(symbol));
        }
    }
    stream.consume(used);
    if (used)
        return ArcStep::Staged;
    // arc writes no end symbol when the data ends on a whole code.
    return stream.inputEnd ? ArcStep::Finished : ArcStep::NeedInput;
}

} // namespace

Status arcSqueezeDecode(DecodeStream& stream, ArcSqueezeState& state)
{
    return driveArc(stream, state.output, state.failure,
        [&state](DecodeStream& s, int& code) { return step(state, s, code); });
}

} // namespace ov
