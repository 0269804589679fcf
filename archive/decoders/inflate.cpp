// Deflate decoder. How a call runs: the state machine below resumes in the
// mode where the last call stopped. Every step first pulls input bytes into
// the shared 64-bit bit reader (up to 56 bits); a step that needs more bits than the
// buffer holds leaves everything as it was and returns NeedInput, so a step
// is never half done. Decoded bytes go into the output window and are flushed
// to the caller's output when the window runs short of room and on return.
//
// Table entries (32 bits): bits 0-4 code length (for a pointer to a second
// level table, the root length), bits 8-11 extra-bit count (or the second
// level table's index width), bits 12-15 flags, bits 16-31 the value (literal
// byte, length or distance base, second-level table offset).
#include "archive/decoders/inflate.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace ov {

namespace {

constexpr std::uint32_t Invalid = 0x1000;
constexpr std::uint32_t Literal = 0x2000;
constexpr std::uint32_t EndOfBlock = 0x4000;
constexpr std::uint32_t SubTable = 0x8000;

constexpr std::uint16_t LengthBase[29] = { 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43,
    51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258 };
constexpr std::uint8_t LengthExtra[29]
    = { 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0 };
constexpr std::uint16_t DistanceBase[30] = { 1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257,
    385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577 };
constexpr std::uint8_t DistanceExtra[30]
    = { 0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13 };
constexpr std::uint8_t CodeLengthOrder[19]
    = { 16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15 };

// The longest match plus the slack the fast loop's 8-byte copies overrun.
constexpr std::size_t MatchRoom = 258 + 16;

enum class TableKind { CodeLengths, Literals, Distances };

std::uint32_t entryFor(TableKind kind, unsigned symbol, unsigned length)
{
    switch (kind) {
    case TableKind::CodeLengths:
        return (symbol << 16) | length;
    case TableKind::Literals:
        if (symbol < 256)
            return (symbol << 16) | Literal | length;
        if (symbol == 256)
            return EndOfBlock | length;
        if (symbol < 286)
            return (std::uint32_t(LengthBase[symbol - 257]) << 16) | (LengthExtra[symbol - 257] << 8)
                | length;
        return Invalid | length;
    case TableKind::Distances:
        if (symbol < 30)
            return (std::uint32_t(DistanceBase[symbol]) << 16) | (DistanceExtra[symbol] << 8) | length;
        return Invalid | length;
    }
    return Invalid | length;
}

unsigned reverseBits(unsigned code, unsigned length)
{
    unsigned result = 0;
    for (unsigned i = 0; i < length; ++i) {
        result = (result << 1) | (code & 1);
        code >>= 1;
    }
    return result;
}

// Builds a canonical Huffman decode table from code lengths. Returns 0 or a
// message code. The acceptance rules are zlib's, so that every stream zlib
// decodes decodes here too: an over-subscribed set is refused; an incomplete
// set only when it has more than one code (a lone one-bit code is allowed) or
// is the code-length code; an empty set gives a table that decodes nothing.
int buildTable(
    TableKind kind, const std::uint8_t* lengths, unsigned count, unsigned rootBits, std::uint32_t* table)
{
    unsigned perLength[16] = {};
    for (unsigned i = 0; i < count; ++i)
        ++perLength[lengths[i]];
    perLength[0] = 0;
    unsigned maxLength = 15;
    while (maxLength > 0 && perLength[maxLength] == 0)
        --maxLength;
    int left = 1;
    for (unsigned length = 1; length <= 15; ++length) {
        left = (left << 1) - int(perLength[length]);
        if (left < 0)
            return msgBadLengths;
    }
    if (maxLength == 0 && kind == TableKind::CodeLengths)
        return msgIncompleteCodeSet;
    if (left > 0 && maxLength != 0 && (kind == TableKind::CodeLengths || maxLength != 1))
        return msgIncompleteCodeSet;

    const unsigned rootSize = 1u << rootBits;
    for (unsigned i = 0; i < rootSize; ++i)
        table[i] = Invalid | rootBits;
    const unsigned subBits = maxLength > rootBits ? maxLength - rootBits : 0;
    const unsigned subSize = 1u << subBits;
    unsigned nextSub = rootSize;

    // Canonical codes: shorter codes first, within a length by symbol.
    unsigned nextCode[16] = {};
    unsigned code = 0;
    for (unsigned length = 1; length <= 15; ++length) {
        code = (code + perLength[length - 1]) << 1;
        nextCode[length] = code;
    }
    for (unsigned symbol = 0; symbol < count; ++symbol) {
        const unsigned length = lengths[symbol];
        if (length == 0)
            continue;
        const unsigned reversed = reverseBits(nextCode[length]++, length);
        const std::uint32_t entry = entryFor(kind, symbol, length);
        if (length <= rootBits) {
            for (unsigned index = reversed; index < rootSize; index += 1u << length)
                table[index] = entry;
            continue;
        }
        const unsigned prefix = reversed & (rootSize - 1);
        if (!(table[prefix] & SubTable)) {
            table[prefix] = (nextSub << 16) | SubTable | (subBits << 8) | rootBits;
            for (unsigned i = 0; i < subSize; ++i)
                table[nextSub + i] = Invalid | (rootBits + subBits);
            nextSub += subSize;
        }
        const unsigned base = table[prefix] >> 16;
        for (unsigned index = reversed >> rootBits; index < subSize; index += 1u << (length - rootBits))
            table[base + index] = entry;
    }
    return 0;
}

inline std::uint32_t lookup(const std::uint32_t* table, unsigned rootBits, std::uint64_t bits)
{
    std::uint32_t entry = table[bits & ((1u << rootBits) - 1)];
    if (entry & SubTable)
        entry = table[(entry >> 16) + ((bits >> rootBits) & ((1u << ((entry >> 8) & 15)) - 1))];
    return entry;
}

class Inflater {
public:
    using Step = std::optional<Status>;

    Inflater(DecodeStream& stream, InflateState& state)
        : m_stream(stream)
        , m_state(state)
    {
    }

    Status run();

private:
    // Pulls input bytes into the bit reader up to 56 bits; true when at least
    // `count` bits are there (at the member's end too: a step never reads
    // past the packed bytes).
    bool fill(unsigned count)
    {
        m_state.bits.fill(m_stream, count);
        return m_state.bits.has(count);
    }
    std::uint32_t bits(unsigned count) const { return m_state.bits.peek(count); }
    void drop(unsigned count) { m_state.bits.drop(count); }

    Status fail(int code)
    {
        m_state.mode = InflateState::Mode::Bad;
        m_state.failure = Status::corrupt(code);
        return m_state.failure;
    }
    // Out of bits: wait for more input unless the member's input is all here.
    Status starved()
    {
        m_state.window.flush(m_stream);
        if (m_stream.inputEnd)
            return fail(msgErrorReading);
        return Status::needInput();
    }
    // Makes room for one match in the window; false when the output is full.
    bool makeRoom()
    {
        if (m_state.window.room() >= MatchRoom)
            return true;
        m_state.window.flush(m_stream);
        return m_state.window.room() >= MatchRoom;
    }

    Step blockHeader();
    Step storedHeader();
    Step storedCopy();
    Step tableSizes();
    Step codeLengthLengths();
    Step codeLengths();
    Step codes();
    void fastLoop();

    DecodeStream& m_stream;
    InflateState& m_state;
    int m_fastFailure = 0;
};

Inflater::Step Inflater::blockHeader()
{
    if (m_state.lastBlock) {
        m_state.mode = InflateState::Mode::Done;
        return std::nullopt;
    }
    if (!fill(3))
        return starved();
    m_state.lastBlock = bits(1);
    const unsigned type = (bits(3) >> 1);
    drop(3);
    switch (type) {
    case 0:
        m_state.mode = InflateState::Mode::StoredHeader;
        break;
    case 1:
        if (!m_state.fixedTablesLoaded) {
            std::uint8_t fixed[320];
            std::memset(fixed, 8, 144);
            std::memset(fixed + 144, 9, 112);
            std::memset(fixed + 256, 7, 24);
            std::memset(fixed + 280, 8, 8);
            std::memset(fixed + 288, 5, 32);
            buildTable(
                TableKind::Literals, fixed, 288, InflateState::LiteralRootBits, m_state.literalTable.data());
            buildTable(TableKind::Distances, fixed + 288, 32, InflateState::DistanceRootBits,
                m_state.distanceTable.data());
            m_state.fixedTablesLoaded = true;
        }
        m_state.mode = InflateState::Mode::Codes;
        break;
    case 2:
        m_state.mode = InflateState::Mode::TableSizes;
        break;
    default:
        return fail(msgBadBlock);
    }
    return std::nullopt;
}

Inflater::Step Inflater::storedHeader()
{
    // Skip to a byte boundary, then LEN and its complement NLEN.
    drop(m_state.bits.count & 7);
    if (!fill(32))
        return starved();
    const std::uint32_t length = bits(16);
    const std::uint32_t complement = std::uint32_t(m_state.bits.buffer >> 16) & 0xFFFF;
    drop(32);
    if ((length ^ 0xFFFF) != complement) {
        m_state.badStoredLength = true;
        return fail(msgBadBlock);
    }
    m_state.storedRemaining = length;
    m_state.mode = InflateState::Mode::StoredCopy;
    return std::nullopt;
}

Inflater::Step Inflater::storedCopy()
{
    auto& s = m_state;
    while (s.storedRemaining) {
        if (s.window.room() == 0 && !makeRoom())
            return Status::outputFull();
        if (s.window.remaining() == 0)
            return fail(msgBadBlock);
        // Whole bytes left in the bit buffer come first, then the input.
        if (s.bits.count >= 8) {
            s.window.put(std::uint8_t(bits(8)));
            drop(8);
            --s.storedRemaining;
            continue;
        }
        if (m_stream.input.empty())
            return starved();
        std::size_t count
            = std::min<std::size_t>({ s.storedRemaining, m_stream.input.size(), s.window.room() });
        count = std::size_t(std::min<std::uint64_t>(count, s.window.remaining()));
        std::memcpy(s.window.data() + s.window.position(), m_stream.input.data(), count);
        s.window.advance(count);
        m_stream.consume(count);
        s.storedRemaining -= std::uint32_t(count);
    }
    s.mode = InflateState::Mode::BlockHeader;
    return std::nullopt;
}

Inflater::Step Inflater::tableSizes()
{
    if (!fill(14))
        return starved();
    m_state.literalCount = bits(5) + 257;
    m_state.distanceCount = ((bits(10) >> 5) & 31) + 1;
    m_state.codeLengthCount = (bits(14) >> 10) + 4;
    drop(14);
    if (m_state.literalCount > 286 || m_state.distanceCount > 30)
        return fail(msgBadLengths);
    m_state.lengthsRead = 0;
    m_state.lengths.fill(0);
    m_state.fixedTablesLoaded = false;
    m_state.mode = InflateState::Mode::CodeLengthLengths;
    return std::nullopt;
}

Inflater::Step Inflater::codeLengthLengths()
{
    auto& s = m_state;
    while (s.lengthsRead < s.codeLengthCount) {
        if (!fill(3))
            return starved();
        s.lengths[CodeLengthOrder[s.lengthsRead++]] = std::uint8_t(bits(3));
        drop(3);
    }
    if (int code = buildTable(TableKind::CodeLengths, s.lengths.data(), 19, 7, s.codeLengthTable.data()))
        return fail(code);
    s.lengths.fill(0);
    s.lengthsRead = 0;
    s.mode = InflateState::Mode::CodeLengths;
    return std::nullopt;
}

Inflater::Step Inflater::codeLengths()
{
    auto& s = m_state;
    const unsigned total = s.literalCount + s.distanceCount;
    while (s.lengthsRead < total) {
        // A code-length symbol and its repeat bits take at most 7 + 7 bits.
        const bool enough = fill(14);
        const std::uint32_t entry = s.codeLengthTable[bits(7)];
        const unsigned length = entry & 31;
        if (length > s.bits.count)
            return starved();
        if (entry & Invalid)
            return fail(msgBadLengths);
        const unsigned symbol = entry >> 16;
        if (symbol < 16) {
            drop(length);
            s.lengths[s.lengthsRead++] = std::uint8_t(symbol);
            continue;
        }
        const unsigned extraBits = symbol == 16 ? 2 : symbol == 17 ? 3 : 7;
        if (!enough && s.bits.count < length + extraBits)
            return starved();
        drop(length);
        unsigned repeat = bits(extraBits) + (symbol == 18 ? 11 : 3);
        drop(extraBits);
        std::uint8_t value = 0;
        if (symbol == 16) {
            if (s.lengthsRead == 0)
                return fail(msgBadLengths);
            value = s.lengths[s.lengthsRead - 1];
        }
        if (s.lengthsRead + repeat > total)
            return fail(msgBadLengths);
        while (repeat--)
            s.lengths[s.lengthsRead++] = value;
    }
    if (s.lengths[256] == 0)
        return fail(msgBadLengths);
    if (int code = buildTable(TableKind::Literals, s.lengths.data(), s.literalCount,
            InflateState::LiteralRootBits, s.literalTable.data()))
        return fail(code);
    if (int code = buildTable(TableKind::Distances, s.lengths.data() + s.literalCount, s.distanceCount,
            InflateState::DistanceRootBits, s.distanceTable.data()))
        return fail(code);
    s.mode = InflateState::Mode::Codes;
    return std::nullopt;
}

// The hot loop: runs while 8 input bytes can be loaded at once and a whole
// match fits both the window and the unpacked size, so nothing inside needs
// a bounds test but the distance check. Stops at an end-of-block code (mode
// set to BlockHeader) or leaves the rest to the careful path.
void Inflater::fastLoop()
{
    auto& s = m_state;
    const std::uint8_t* in = m_stream.input.data();
    const std::uint8_t* const inEnd = in + m_stream.input.size();
    std::uint8_t* const base = s.window.data();
    std::uint8_t* out = base + s.window.position();
    std::uint8_t* const start = out;
    const std::uint64_t limitRoom = s.window.remaining();
    const std::size_t windowRoom = s.window.room();
    const std::size_t room = std::size_t(std::min<std::uint64_t>(
        windowRoom - std::min(windowRoom, MatchRoom), limitRoom - std::min<std::uint64_t>(limitRoom, 258)));
    std::uint8_t* const outStop = out + room;
    // Bytes before `start` that back-references may reach.
    const std::uint64_t history = std::min<std::uint64_t>(s.window.produced(), std::uint64_t(out - base));
    const std::uint32_t* const literals = s.literalTable.data();
    const std::uint32_t* const distances = s.distanceTable.data();
    std::uint64_t bitBuffer = s.bits.buffer;
    unsigned bitCount = s.bits.count;

    while (inEnd - in >= 8 && out < outStop) {
        LsbBitReader::refillWord(bitBuffer, bitCount, in);

        std::uint32_t entry = literals[bitBuffer & ((1u << InflateState::LiteralRootBits) - 1)];
        if (entry & SubTable)
            entry = literals[(entry >> 16)
                + ((bitBuffer >> InflateState::LiteralRootBits) & ((1u << ((entry >> 8) & 15)) - 1))];
        bitBuffer >>= entry & 31;
        bitCount -= entry & 31;
        if (entry & Literal) {
            *out++ = std::uint8_t(entry >> 16);
            // A second literal fits in the same refill (at most 15 + 15 bits).
            entry = literals[bitBuffer & ((1u << InflateState::LiteralRootBits) - 1)];
            if ((entry & (Literal | SubTable)) != Literal)
                continue;
            bitBuffer >>= entry & 31;
            bitCount -= entry & 31;
            *out++ = std::uint8_t(entry >> 16);
            continue;
        }
        if (entry & (EndOfBlock | Invalid)) {
            if (entry & Invalid)
                m_fastFailure = msgBadBlock;
            else
                s.mode = InflateState::Mode::BlockHeader;
            break;
        }
        unsigned extra = (entry >> 8) & 15;
        const std::size_t length = (entry >> 16) + std::size_t(bitBuffer & ((1u << extra) - 1));
        bitBuffer >>= extra;
        bitCount -= extra;

        entry = distances[bitBuffer & ((1u << InflateState::DistanceRootBits) - 1)];
        if (entry & SubTable)
            entry = distances[(entry >> 16)
                + ((bitBuffer >> InflateState::DistanceRootBits) & ((1u << ((entry >> 8) & 15)) - 1))];
        if (entry & Invalid) {
            m_fastFailure = msgBadBlock;
            break;
        }
        bitBuffer >>= entry & 31;
        bitCount -= entry & 31;
        extra = (entry >> 8) & 15;
        const std::size_t distance = (entry >> 16) + std::size_t(bitBuffer & ((1u << extra) - 1));
        bitBuffer >>= extra;
        bitCount -= extra;
        if (distance > std::uint64_t(out - start) + history) {
            m_fastFailure = msgBadBlock;
            break;
        }

        const std::uint8_t* from = out - distance;
        std::uint8_t* const end = out + length;
        if (distance >= 8) {
            // Whole words; may write up to 7 bytes past the match, inside
            // the window's slack, where the next bytes overwrite them.
            do {
                std::memcpy(out, from, 8);
                out += 8;
                from += 8;
            } while (out < end);
        } else if (distance == 1) {
            std::memset(out, *from, length);
        } else {
            for (std::size_t i = 0; i < length; ++i)
                out[i] = from[i];
        }
        out = end;
    }

    m_stream.consume(std::size_t(in - m_stream.input.data()));
    s.window.advance(std::size_t(out - start));
    s.bits.store(bitBuffer, bitCount);
}

Inflater::Step Inflater::codes()
{
    auto& s = m_state;
    for (;;) {
        if (!makeRoom())
            return Status::outputFull();
        if (s.bits.count <= 56) {
            fastLoop();
            if (m_fastFailure)
                return fail(m_fastFailure);
            if (s.mode != InflateState::Mode::Codes)
                return std::nullopt;
            if (!makeRoom())
                return Status::outputFull();
        }

        // One symbol (and its match) at a time, at most 15 + 5 + 15 + 13 bits.
        const bool enough = fill(48);
        std::uint32_t entry = lookup(s.literalTable.data(), InflateState::LiteralRootBits, s.bits.buffer);
        unsigned length = entry & 31;
        if (length > s.bits.count)
            return starved();
        if (entry & Invalid)
            return fail(msgBadBlock);
        if (entry & Literal) {
            if (!s.window.put(std::uint8_t(entry >> 16)))
                return fail(msgBadBlock);
            drop(length);
            continue;
        }
        if (entry & EndOfBlock) {
            drop(length);
            s.mode = InflateState::Mode::BlockHeader;
            return std::nullopt;
        }
        if (!enough) {
            // The match may still fit in the bits at hand; measure it.
            unsigned needed = length + ((entry >> 8) & 15);
            if (needed > s.bits.count)
                return starved();
            const std::uint32_t distanceEntry
                = lookup(s.distanceTable.data(), InflateState::DistanceRootBits, s.bits.buffer >> needed);
            needed += (distanceEntry & 31);
            if (needed > s.bits.count)
                return starved();
            if (!(distanceEntry & Invalid))
                needed += (distanceEntry >> 8) & 15;
            if (needed > s.bits.count)
                return starved();
        }
        drop(length);
        unsigned extra = (entry >> 8) & 15;
        const std::size_t matchLength = (entry >> 16) + bits(extra);
        drop(extra);
        entry = lookup(s.distanceTable.data(), InflateState::DistanceRootBits, s.bits.buffer);
        if (entry & Invalid)
            return fail(msgBadBlock);
        drop(entry & 31);
        extra = (entry >> 8) & 15;
        const std::size_t distance = (entry >> 16) + bits(extra);
        drop(extra);
        if (!s.window.reaches(distance))
            return fail(msgBadBlock);
        if (!s.window.copy(distance, matchLength))
            return fail(msgBadBlock);
    }
}

Status Inflater::run()
{
    using Mode = InflateState::Mode;
    for (;;) {
        Step step;
        switch (m_state.mode) {
        case Mode::BlockHeader:
            step = blockHeader();
            break;
        case Mode::StoredHeader:
            step = storedHeader();
            break;
        case Mode::StoredCopy:
            step = storedCopy();
            break;
        case Mode::TableSizes:
            step = tableSizes();
            break;
        case Mode::CodeLengthLengths:
            step = codeLengthLengths();
            break;
        case Mode::CodeLengths:
            step = codeLengths();
            break;
        case Mode::Codes:
            step = codes();
            break;
        case Mode::Done:
            if (!m_state.window.flush(m_stream))
                return Status::outputFull();
            return Status::done();
        case Mode::Bad:
            return m_state.failure;
        }
        if (step)
            return *step;
    }
}

} // namespace

void InflateState::reset(std::uint64_t unpackedSize)
{
    mode = Mode::BlockHeader;
    lastBlock = false;
    fixedTablesLoaded = false;
    badStoredLength = false;
    failure = Status::done();
    bits.reset();
    storedRemaining = 0;
    lengthsRead = 0;
    window.reset(32768, unpackedSize);
}

Status inflateDecode(DecodeStream& stream, InflateState& state)
{
    return Inflater(stream, state).run();
}

} // namespace ov
