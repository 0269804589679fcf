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
// (stream.inputEnd) and a code reaches past it, the result is Corrupt(25236).
// Decoders do no I/O and allocate only in reset().
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ov {

// Archive message codes the decoders report (the message table of the archive
// components holds their texts).
namespace DecodeCode {
inline constexpr int BadBlock = 25109;            // "Bad block"
inline constexpr int BadHuffmanCode = 25120;      // "Bad Huffman code"
inline constexpr int InvalidCode = 25121;         // "Invalid code encountered"
inline constexpr int IncorrectBits = 25134;       // "Incorrect number of bits"
inline constexpr int IncompleteCodeSet = 25138;   // "Incomplete code set"
inline constexpr int InvalidDecodeTree = 25152;   // "File contains invalid decode tree"
inline constexpr int UnexpectedEnd = 25236;       // "Error reading file or unexpected end of file"
inline constexpr int BadLengths = 25247;          // "Bad lengths"
inline constexpr int OutOfMemory = 25253;         // "Out of memory"
inline constexpr int AmbiguousTree = 25292;       // "Ambiguous Shannon-Fano decode tree encountered"
inline constexpr int StackOverflow = 25297;       // "Stack overflow"
inline constexpr int UnsupportedMethod = 25301;   // "Unsupported compression method"
} // namespace DecodeCode

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
    constexpr Status(Kind kind, int code) : m_kind(kind), m_code(code) {}
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
