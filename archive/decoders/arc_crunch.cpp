#include "archive/decoders/arc_crunch.h"

#include <cstring>

namespace ov {

void ArcCrunchState::reset(ArcCrunchMethod crunchMethod, std::uint64_t unpackedSize)
{
    method = crunchMethod;
    output.reset(unpackedSize, method == ArcCrunchMethod::Crunch8 ? ArcRunLength::On : ArcRunLength::Off);
    for (unsigned byte = 0; byte < 256; ++byte) {
        prefix[byte] = 0;
        suffix[byte] = static_cast<std::uint8_t>(byte);
        length[byte] = 1;
    }
    maxWidth = method == ArcCrunchMethod::Squash9 ? 13 : 0;
    width = 9;
    nextFree = FirstFree;
    clearing = false;
    groupHave = groupBits = groupUsed = 0;
    groupOpen = false;
    previous = -1;
    firstByte = 0;
    failure = Status::needInput();
}

namespace {

enum class Next { Code, NeedInput, End };

// The next code: groups of `width` bytes (fewer at the end of the data).
// A new group starts when the last one is used up, when the table outgrew
// the width, or after a clear code.
Next nextCode(ArcCrunchState& state, DecodeStream& stream, unsigned& code)
{
    const unsigned limit = 1u << state.width;
    if (!state.groupOpen
        && (state.clearing || state.groupUsed >= state.groupBits
            || (state.nextFree >= limit && state.width < state.maxWidth))) {
        if (state.clearing) {
            state.width = 9;
            state.clearing = false;
        } else if (state.nextFree >= limit && state.width < state.maxWidth) {
            ++state.width;
        }
        state.groupOpen = true;
        state.groupHave = 0;
    }
    if (state.groupOpen) {
        std::size_t take = state.width - state.groupHave;
        if (take > stream.input.size())
            take = stream.input.size();
        std::memcpy(state.group.data() + state.groupHave, stream.input.data(), take);
        stream.consume(take);
        state.groupHave += static_cast<unsigned>(take);
        if (state.groupHave < state.width && !stream.inputEnd)
            return Next::NeedInput;
        state.groupOpen = false;
        if (state.groupHave == 0)
            return Next::End;
        state.groupUsed = 0;
        state.groupBits = state.groupHave * 8 >= state.width ? state.groupHave * 8 - (state.width - 1) : 0;
        if (state.groupBits == 0)
            return Next::End;
    }
    // Take `width` bits at groupUsed, least significant first. A code ends
    // within the group's 13 bytes, so the four bytes read stay inside it.
    const std::uint8_t* at = state.group.data() + state.groupUsed / 8;
    const std::uint32_t word = std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16
        | std::uint32_t(at[3]) << 24;
    code = (word >> (state.groupUsed % 8)) & ((1u << state.width) - 1);
    state.groupUsed += state.width;
    return Next::Code;
}

// Stages the string of `code`; returns its first byte, or -1 when its chain
// does not match its recorded length (a broken table).
int stageString(ArcCrunchState& state, unsigned code)
{
    const unsigned count = state.length[code];
    std::vector<std::uint8_t>& staged = state.output.staged();
    const std::size_t base = staged.size();
    staged.resize(base + count);
    std::uint8_t* p = staged.data() + base + count;
    for (unsigned i = 1; i < count; ++i) {
        if (code < 256)
            return -1;
        *--p = state.suffix[code];
        code = state.prefix[code];
    }
    if (code >= 256)
        return -1;
    *--p = static_cast<std::uint8_t>(code);
    return static_cast<int>(code);
}

ArcStep step(ArcCrunchState& state, DecodeStream& stream, int& error)
{
    if (state.maxWidth == 0) {
        if (stream.input.empty())
            return stream.inputEnd ? ArcStep::Finished : ArcStep::NeedInput;
        state.maxWidth = stream.input[0];
        stream.consume(1);
        if (state.maxWidth != 12) {
            error = msgIncorrectBits;
            return ArcStep::Corrupt;
        }
    }
    const unsigned entries = 1u << state.maxWidth;
    while (state.output.staged().size() < 8192) {
        unsigned code = 0;
        const Next next = nextCode(state, stream, code);
        if (next == Next::NeedInput)
            return state.output.staged().empty() ? ArcStep::NeedInput : ArcStep::Staged;
        if (next == Next::End)
            return state.output.staged().empty() ? ArcStep::Finished : ArcStep::Staged;
        if (state.previous < 0) {
            if (code >= 256) {
                error = msgInvalidCode;
                return ArcStep::Corrupt;
            }
            state.output.staged().push_back(static_cast<std::uint8_t>(code));
            state.previous = static_cast<int>(code);
            state.firstByte = static_cast<std::uint8_t>(code);
            continue;
        }
        if (code == ArcCrunchState::Clear) {
            // The entry after a clear lands on 256 and is never used.
            state.nextFree = ArcCrunchState::FirstFree - 1;
            state.clearing = true;
            continue;
        }
        if (code > state.nextFree || (code == state.nextFree && code >= entries)) {
            error = msgInvalidCode;
            return ArcStep::Corrupt;
        }
        int first;
        if (code == state.nextFree) {
            // The code being made: the previous string and its own first byte.
            first = stageString(state, static_cast<unsigned>(state.previous));
            state.output.staged().push_back(state.firstByte);
        } else {
            first = stageString(state, code);
        }
        if (first < 0) {
            error = msgInvalidCode;
            return ArcStep::Corrupt;
        }
        if (state.nextFree < entries) {
            state.prefix[state.nextFree] = static_cast<std::uint16_t>(state.previous);
            state.suffix[state.nextFree] = static_cast<std::uint8_t>(first);
            state.length[state.nextFree] = static_cast<std::uint16_t>(state.length[state.previous] + 1);
            ++state.nextFree;
        }
        state.previous = static_cast<int>(code);
        state.firstByte = static_cast<std::uint8_t>(first);
    }
    return ArcStep::Staged;
}

} // namespace

Status arcCrunchDecode(DecodeStream& stream, ArcCrunchState& state)
{
    return driveArc(stream, state.output, state.failure,
        [&state](DecodeStream& s, int& code) { return step(state, s, code); });
}

} // namespace ov
