#include "archive/decoders/arc_crunch.h"

namespace ov {

void ArcCrunchState::reset(ArcCrunchMethod crunchMethod, std::uint64_t unpackedSize)
{
    method = crunchMethod;
    output.reset(unpackedSize, method == ArcCrunchMethod::Crunch8 ? ArcRunLength::On : ArcRunLength::Off);
    for (unsigned byte = 0; byte < 256; ++byte) {
        prefix[byte] = 0;
        suffix[byte] = static_cast<std::uint8_t>(byte);
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
        while (state.groupHave < state.width && !stream.input.empty()) {
            state.group[state.groupHave++] = stream.input[0];
            stream.consume(1);
        }
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
    // Take `width` bits at groupUsed, least significant first.
    std::uint32_t value = 0;
    for (unsigned i = 0; i < state.width; ++i) {
        const unsigned bit = state.groupUsed + i;
        value |= static_cast<std::uint32_t>(state.group[bit / 8] >> (bit % 8) & 1) << i;
    }
    state.groupUsed += state.width;
    code = value;
    return Next::Code;
}

// Stages the string of `code`; returns its first byte, or -1 when it is
// longer than the table (a broken chain).
int stageString(ArcCrunchState& state, unsigned code)
{
    std::uint8_t reversed[ArcCrunchState::MaxEntries];
    unsigned length = 0;
    while (code >= 256) {
        if (length == ArcCrunchState::MaxEntries)
            return -1;
        reversed[length++] = state.suffix[code];
        code = state.prefix[code];
    }
    reversed[length++] = static_cast<std::uint8_t>(code);
    std::vector<std::uint8_t>& staged = state.output.staged();
    while (length)
        staged.push_back(reversed[--length]);
    return code;
}

ArcStep step(ArcCrunchState& state, DecodeStream& stream, int& error)
{
    if (state.maxWidth == 0) {
        if (stream.input.empty())
            return stream.inputEnd ? ArcStep::Finished : ArcStep::NeedInput;
        state.maxWidth = stream.input[0];
        stream.consume(1);
        if (state.maxWidth != 12) {
            error = DecodeCode::IncorrectBits;
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
                error = DecodeCode::InvalidCode;
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
            error = DecodeCode::InvalidCode;
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
            error = DecodeCode::InvalidCode;
            return ArcStep::Corrupt;
        }
        if (state.nextFree < entries) {
            state.prefix[state.nextFree] = static_cast<std::uint16_t>(state.previous);
            state.suffix[state.nextFree] = static_cast<std::uint8_t>(first);
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
