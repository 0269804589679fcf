// The output side shared by the ARC decoders: a method decodes into a
// staging buffer, and drain() hands the staged bytes to the caller, through
// ARC's run-length expansion where the method has it (0x90 n repeats the
// previous byte n - 1 more times; 0x90 0 is a literal 0x90).
//
// The member's unpacked size bounds the output: a byte past it makes the
// member corrupt (BadBlock); data that ends short of it is UnexpectedEnd.
#pragma once

#include "archive/decoders/decoder.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace ov {

enum class ArcRunLength { Off, On };

class ArcOutput {
public:
    static constexpr std::uint8_t Marker = 0x90;

    void reset(std::uint64_t unpackedSize, ArcRunLength runLength)
    {
        m_staged.clear();
        m_staged.reserve(8192);
        m_next = 0;
        m_left = unpackedSize;
        m_runLength = runLength == ArcRunLength::On;
        m_marker = false;
        m_repeat = 0;
        m_repeatByte = 0;
        m_last = 0;
    }

    std::vector<std::uint8_t>& staged() { return m_staged; }
    bool drained() const { return m_next == m_staged.size() && m_repeat == 0; }
    bool complete() const { return m_left == 0; }

    enum class Drain { Done, OutputFull, TooLong };

    // Moves staged bytes to the output until the stage is empty or the
    // output is full.
    Drain drain(DecodeStream& stream)
    {
        std::uint8_t* const first = stream.output.data();
        std::uint8_t* out = first;
        std::size_t room = stream.output.size();
        if (room > m_left)
            room = static_cast<std::size_t>(m_left);
        const std::uint8_t* const staged = m_staged.data();
        const std::size_t size = m_staged.size();
        std::size_t next = m_next;
        bool stuck = false;
        for (;;) {
            if (m_repeat) {
                const std::size_t n = m_repeat < room ? m_repeat : room;
                std::memset(out, m_repeatByte, n);
                out += n;
                room -= n;
                m_repeat -= static_cast<unsigned>(n);
                if (m_repeat) {
                    stuck = true;
                    break;
                }
            }
            if (next == size)
                break;
            if (!m_runLength) {
                const std::size_t n = size - next < room ? size - next : room;
                std::memcpy(out, staged + next, n);
                out += n;
                room -= n;
                next += n;
                stuck = next != size;
                break;
            }
            const std::uint8_t byte = staged[next++];
            if (m_marker) {
                m_marker = false;
                m_repeatByte = byte ? m_last : Marker;
                m_repeat = byte ? byte - 1u : 1u;
                continue;
            }
            if (byte == Marker) {
                m_marker = true;
                continue;
            }
            m_last = byte;
            if (room) {
                *out++ = byte;
                --room;
                continue;
            }
            m_repeatByte = byte;
            m_repeat = 1;
            stuck = true;
            break;
        }
        const std::size_t written = static_cast<std::size_t>(out - first);
        stream.produce(written);
        m_left -= written;
        m_next = next;
        if (stuck)
            return m_left ? Drain::OutputFull : Drain::TooLong;
        m_staged.clear();
        m_next = 0;
        return Drain::Done;
    }

private:
    std::vector<std::uint8_t> m_staged;
    std::size_t m_next = 0;
    std::uint64_t m_left = 0;
    bool m_runLength = false;
    bool m_marker = false; // a 0x90 was read; its count follows
    unsigned m_repeat = 0; // copies of m_repeatByte still to write
    std::uint8_t m_repeatByte = 0;
    std::uint8_t m_last = 0; // the byte a run repeats
};

// What a method's decode step ended with.
enum class ArcStep { Staged, NeedInput, Finished, Corrupt };

// The call loop of every ARC method: drain the stage, then let
// `step(stream, code)` consume input and stage more bytes. The member ends
// when the method finishes (its end code or the end of the packed data) and
// everything staged is written; a failure is kept in `failure`.
template <typename Step> Status driveArc(DecodeStream& stream, ArcOutput& output, Status& failure, Step step)
{
    if (failure.isCorrupt())
        return failure;
    for (;;) {
        switch (output.drain(stream)) {
        case ArcOutput::Drain::OutputFull:
            return Status::outputFull();
        case ArcOutput::Drain::TooLong:
            failure = Status::corrupt(msgBadBlock);
            return failure;
        case ArcOutput::Drain::Done:
            break;
        }
        int code = 0;
        switch (step(stream, code)) {
        case ArcStep::Staged:
            break;
        case ArcStep::NeedInput:
            if (stream.inputEnd && stream.input.empty()) {
                failure = Status::corrupt(msgErrorReading);
                return failure;
            }
            return Status::needInput();
        case ArcStep::Finished:
            if (output.drain(stream) == ArcOutput::Drain::OutputFull)
                return Status::outputFull();
            if (!output.drained() || !output.complete()) {
                failure = Status::corrupt(output.drained() ? msgErrorReading : msgBadBlock);
                return failure;
            }
            return Status::done();
        case ArcStep::Corrupt:
            failure = Status::corrupt(code);
            return failure;
        }
    }
}

} // namespace ov
