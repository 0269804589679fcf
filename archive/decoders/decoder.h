// The interface every archive decoder shares: one function per method,
//
//     Status fooDecode(DecodeStream& stream, FooState& state);
//
// over a small state that survives between calls. The caller hands in as much
// packed input and output room as it has; the decoder takes what it can and
// returns why it stopped:
//   NeedInput   all given input is used (kept in the state); call again with more
//   OutputFull  the output room is full; call again with fresh room
//   Done        the member is complete (the stored unpacked size is reached, or
//               the method's own end marker was read)
//   Corrupt     bad data; code() is the archive message code. The state stays
//               corrupt: every later call returns the same status.
// A decoder never writes past the unpacked size given to its state's reset(),
// never reads a back-reference outside the bytes it produced, and never needs
// more than the member's packed bytes: when the caller has said the input ends
// (stream.inputEnd) and a code reaches past it, the result is
// Corrupt(msgErrorReading). The codes are the archive message codes
// (archive/message_codes.h), so a decoder's code is what OnError reports.
// Decoders do no I/O and allocate only in reset().
#pragma once

#include "archive/message_codes.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace ov {

class Status {
public:
    enum class Kind { NeedInput, OutputFull, Done, Corrupt };

    static constexpr Status needInput() { return Status(Kind::NeedInput, 0); }
    static constexpr Status outputFull() { return Status(Kind::OutputFull, 0); }
    static constexpr Status done() { return Status(Kind::Done, 0); }
    static constexpr Status corrupt(int code) { return Status(Kind::Corrupt, code); }

    constexpr Kind kind() const { return m_kind; }
    constexpr int code() const { return m_code; }
    constexpr bool isDone() const { return m_kind == Kind::Done; }
    constexpr bool isCorrupt() const { return m_kind == Kind::Corrupt; }
    constexpr bool operator==(const Status&) const = default;

private:
    constexpr Status(Kind kind, int code)
        : m_kind(kind)
        , m_code(code)
    {
    }
    Kind m_kind;
    int m_code;
};

// One call's input and output. The decoder advances both spans past what it
// consumed and wrote; bytes it did not consume stay at the front of input and
// must be handed in again (followed by more) on the next call.
struct DecodeStream {
    std::span<const std::uint8_t> input;
    std::span<std::uint8_t> output;
    bool inputEnd = false; // input holds the member's last packed byte

    // Takes count bytes off the front of input / output.
    void consume(std::size_t count) { input = input.subspan(count); }
    void produce(std::size_t count) { output = output.subspan(count); }
};

} // namespace ov
