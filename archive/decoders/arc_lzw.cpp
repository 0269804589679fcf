#include "archive/decoders/arc_lzw.h"

namespace ov {

namespace {

unsigned hashOf(ArcLzwMethod method, std::uint16_t prefix, std::uint8_t byte)
{
    const std::uint32_t sum = (static_cast<std::uint32_t>(prefix) + byte) & 0xFFFF;
    if (method == ArcLzwMethod::Crunch7)
        return (sum * 15073u) & 0xFFF;
    // The middle 12 bits of the square.
    const std::uint64_t square = std::uint64_t(sum | 0x0800) * (sum | 0x0800);
    return static_cast<unsigned>(square >> 6) & 0xFFF;
}

void addEntry(ArcLzwState& state, std::uint16_t prefix, std::uint8_t byte)
{
    const unsigned home = hashOf(state.method, prefix, byte);
    unsigned slot = home;
    if (state.used[home]) {
        unsigned last = home;
        while (state.chain[last])
            last = state.chain[last];
        slot = (last + 101) & 0xFFF;
        while (state.used[slot])
            slot = (slot + 1) & 0xFFF;
        state.chain[last] = static_cast<std::uint16_t>(slot);
    }
    state.used[slot] = true;
    state.chain[slot] = 0;
    state.prefix[slot] = prefix;
    state.suffix[slot] = byte;
    ++state.entries;
}

// Stages the string of `code` (followed by `extra` when extra >= 0);
// returns its first byte, or -1 when its chain of prefixes is broken.
int stageString(ArcLzwState& state, unsigned code, int extra)
{
    std::uint8_t reversed[ArcLzwState::TableSize];
    unsigned length = 0;
    for (;;) {
        if (length == ArcLzwState::TableSize)
            return -1;
        reversed[length++] = state.suffix[code];
        if (state.prefix[code] == ArcLzwState::NoPrefix)
            break;
        code = state.prefix[code];
        if (!state.used[code])
            return -1;
    }
    const std::uint8_t first = reversed[length - 1];
    std::vector<std::uint8_t>& staged = state.output.staged();
    while (length)
        staged.push_back(reversed[--length]);
    if (extra >= 0)
        staged.push_back(static_cast<std::uint8_t>(extra));
    return first;
}

ArcStep step(ArcLzwState& state, DecodeStream& stream, int& code)
{
    std::size_t used = 0;
    while (state.output.staged().size() < 8192) {
        while (state.bitCount < 12 && used < stream.input.size()) {
            state.bits = state.bits << 8 | stream.input[used++];
            state.bitCount += 8;
        }
        if (state.bitCount < 12)
            break;
        state.bitCount -= 12;
        const unsigned next = (state.bits >> state.bitCount) & 0xFFF;
        state.bits &= (1u << state.bitCount) - 1;

        int first;
        if (state.previous < 0) {
            first = state.used[next] && state.prefix[next] == ArcLzwState::NoPrefix
                ? stageString(state, next, -1)
                : -1;
        } else if (state.used[next]) {
            first = stageString(state, next, -1);
        } else {
            // The code being made: the previous string and its own first byte.
            first = stageString(state, static_cast<unsigned>(state.previous), state.firstByte);
            if (first >= 0)
                first = state.firstByte;
        }
        if (first < 0) {
            stream.consume(used);
            code = msgInvalidCode;
            return ArcStep::Corrupt;
        }
        if (state.previous >= 0 && state.entries < ArcLzwState::TableSize)
            addEntry(state, static_cast<std::uint16_t>(state.previous), static_cast<std::uint8_t>(first));
        state.previous = static_cast<int>(next);
        state.firstByte = static_cast<std::uint8_t>(first);
    }
    stream.consume(used);
    if (!state.output.staged().empty())
        return ArcStep::Staged;
    // What is left is padding of the last code's bytes.
    return stream.inputEnd ? ArcStep::Finished : ArcStep::NeedInput;
}

} // namespace

void ArcLzwState::reset(ArcLzwMethod lzwMethod, std::uint64_t unpackedSize)
{
    method = lzwMethod;
    output.reset(unpackedSize, lzwMethod == ArcLzwMethod::Crunch5 ? ArcRunLength::Off : ArcRunLength::On);
    used.fill(false);
    chain.fill(0);
    entries = 0;
    for (unsigned byte = 0; byte < 256; ++byte)
        addEntry(*this, NoPrefix, static_cast<std::uint8_t>(byte));
    bits = 0;
    bitCount = 0;
    previous = -1;
    firstByte = 0;
    failure = Status::needInput();
}

Status arcLzwDecode(DecodeStream& stream, ArcLzwState& state)
{
    return driveArc(stream, state.output, state.failure,
        [&state](DecodeStream& s, int& code) { return step(state, s, code); });
}

} // namespace ov
