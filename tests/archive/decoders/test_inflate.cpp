// Deflate decoder: round trips through zlib's raw deflate at every level and
// strategy, whole and in one-byte pieces; agreement with a slow bit-at-a-time
// decoder; zlib's raw inflate as a differential oracle on damaged streams;
// and a table of hand-built faulty streams with the message each must give.
#include "archive/decoders/inflate.h"
#include "tests/archive/decoders/decode_run.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <optional>

namespace ov {
namespace {

using test::Bytes;

Bytes zlibDeflate(const Bytes& data, int level, int strategy)
{
    z_stream z {};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 9, strategy), Z_OK);
    Bytes out(deflateBound(&z, uLong(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// zlib's raw inflate; nullopt unless the stream ends properly.
std::optional<Bytes> zlibInflate(const Bytes& packed, std::size_t cap)
{
    z_stream z {};
    inflateInit2(&z, -15);
    Bytes out(cap);
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = uInt(packed.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        return std::nullopt;
    return out;
}

test::DecodeResult ourInflate(
    const Bytes& packed, std::uint64_t size, std::size_t inStep = 0, std::size_t outStep = 0)
{
    auto state = std::make_unique<InflateState>();
    state->reset(size);
    return test::runDecoder(inflateDecode, *state, packed, inStep, outStep);
}

// The oracle: RFC 1951 read one bit at a time, codes decoded by walking the
// canonical code length by length. Slow and plain; nullopt on any error.
class SlowInflate {
public:
    explicit SlowInflate(const Bytes& input)
        : m_input(input)
    {
    }

    std::optional<Bytes> run()
    {
        try {
            for (bool last = false; !last;) {
                last = bits(1);
                const unsigned type = bits(2);
                if (type == 0)
                    stored();
                else if (type == 1)
                    fixed();
                else if (type == 2)
                    dynamic();
                else
                    return std::nullopt;
            }
        } catch (int) {
            return std::nullopt;
        }
        return m_output;
    }

private:
    struct Code {
        unsigned count[16] = {};
        std::vector<unsigned> symbols;
    };

    unsigned bits(unsigned count)
    {
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i) {
            if (m_position / 8 >= m_input.size())
                throw 1;
            value |= ((m_input[m_position / 8] >> (m_position % 8)) & 1u) << i;
            ++m_position;
        }
        return value;
    }
    static Code build(const std::vector<unsigned>& lengths)
    {
        Code code;
        for (unsigned length : lengths)
            ++code.count[length];
        for (unsigned length = 1; length < 16; ++length)
            for (unsigned symbol = 0; symbol < lengths.size(); ++symbol)
                if (lengths[symbol] == length)
                    code.symbols.push_back(symbol);
        return code;
    }
    unsigned decode(const Code& code)
    {
        int value = 0, first = 0, index = 0;
        for (unsigned length = 1; length < 16; ++length) {
            value |= int(bits(1));
            const int count = int(code.count[length]);
            if (value - first < count)
                return code.symbols[std::size_t(index + value - first)];
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        throw 2;
    }
    void stored()
    {
        m_position = (m_position + 7) / 8 * 8;
        const unsigned length = bits(16);
        if ((bits(16) ^ 0xFFFF) != length)
            throw 3;
        for (unsigned i = 0; i < length; ++i)
            m_output.push_back(std::uint8_t(bits(8)));
    }
    void codes(const Code& literals, const Code& distances)
    {
        static const unsigned lengthBase[] = { 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35,
            43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258 };
        static const unsigned lengthExtra[]
            = { 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0 };
        for (;;) {
            const unsigned symbol = decode(literals);
            if (symbol < 256) {
                m_output.push_back(std::uint8_t(symbol));
                continue;
            }
            if (symbol == 256)
                return;
            if (symbol > 285)
                throw 4;
            const unsigned length = lengthBase[symbol - 257] + bits(lengthExtra[symbol - 257]);
            const unsigned distanceSymbol = decode(distances);
            if (distanceSymbol > 29)
                throw 5;
            static const unsigned distanceBase[] = { 1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577 };
            const unsigned base = distanceBase[distanceSymbol];
            const unsigned extra = distanceSymbol < 4 ? 0 : (distanceSymbol - 2) / 2;
            const unsigned distance = base + bits(extra);
            if (distance > m_output.size())
                throw 6;
            for (unsigned i = 0; i < length; ++i)
                m_output.push_back(m_output[m_output.size() - distance]);
        }
    }
    void fixed()
    {
        std::vector<unsigned> lengths(288);
        for (unsigned i = 0; i < 288; ++i)
            lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        codes(build(lengths), build(std::vector<unsigned>(30, 5)));
    }
    void dynamic()
    {
        static const unsigned order[19]
            = { 16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15 };
        const unsigned literalCount = bits(5) + 257, distanceCount = bits(5) + 1, codeCount = bits(4) + 4;
        std::vector<unsigned> codeLengths(19);
        for (unsigned i = 0; i < codeCount; ++i)
            codeLengths[order[i]] = bits(3);
        const Code lengthCode = build(codeLengths);
        std::vector<unsigned> lengths;
        while (lengths.size() < literalCount + distanceCount) {
            const unsigned symbol = decode(lengthCode);
            if (symbol < 16) {
                lengths.push_back(symbol);
                continue;
            }
            unsigned value = 0, repeat;
            if (symbol == 16) {
                if (lengths.empty())
                    throw 7;
                value = lengths.back();
                repeat = 3 + bits(2);
            } else {
                repeat = symbol == 17 ? 3 + bits(3) : 11 + bits(7);
            }
            lengths.insert(lengths.end(), repeat, value);
        }
        if (lengths.size() != literalCount + distanceCount)
            throw 8;
        codes(build(std::vector<unsigned>(lengths.begin(), lengths.begin() + literalCount)),
            build(std::vector<unsigned>(lengths.begin() + literalCount, lengths.end())));
    }

    const Bytes& m_input;
    std::size_t m_position = 0;
    Bytes m_output;
};

struct RoundTrip {
    const char* name;
    std::size_t size;
    int level;
    int strategy;
};

class InflateRoundTrip : public testing::TestWithParam<RoundTrip> { };

TEST_P(InflateRoundTrip, MatchesTheOriginalWholeAndInPieces)
{
    const RoundTrip& row = GetParam();
    const Bytes data = test::sampleData(row.size, std::uint32_t(row.size + unsigned(row.level)));
    const Bytes packed = zlibDeflate(data, row.level, row.strategy);

    const auto whole = ourInflate(packed, data.size());
    EXPECT_EQ(whole.status, Status::done());
    EXPECT_TRUE(whole.output == data);

    const auto oracle = SlowInflate(packed).run();
    ASSERT_TRUE(oracle.has_value());
    EXPECT_TRUE(*oracle == data);

    if (data.size() <= 70000) {
        const auto byByte = ourInflate(packed, data.size(), 1, 1);
        EXPECT_EQ(byByte.status, Status::done());
        EXPECT_TRUE(byByte.output == data);
    }
    const auto pieces = ourInflate(packed, data.size(), 7, 1000);
    EXPECT_EQ(pieces.status, Status::done());
    EXPECT_TRUE(pieces.output == data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, InflateRoundTrip,
    testing::Values(RoundTrip { "empty", 0, 6, Z_DEFAULT_STRATEGY },
        RoundTrip { "one", 1, 6, Z_DEFAULT_STRATEGY },
        RoundTrip { "storedSmall", 300, 0, Z_DEFAULT_STRATEGY },
        RoundTrip { "storedBig", 200000, 0, Z_DEFAULT_STRATEGY },
        RoundTrip { "fast", 100000, 1, Z_DEFAULT_STRATEGY },
        RoundTrip { "window", 32768, 6, Z_DEFAULT_STRATEGY },
        RoundTrip { "windowPlusOne", 32769, 9, Z_DEFAULT_STRATEGY },
        RoundTrip { "best", 300000, 9, Z_DEFAULT_STRATEGY }, RoundTrip { "fixed", 50000, 6, Z_FIXED },
        RoundTrip { "huffmanOnly", 50000, 6, Z_HUFFMAN_ONLY }, RoundTrip { "runLength", 60000, 6, Z_RLE },
        RoundTrip { "filtered", 50000, 6, Z_FILTERED }),
    [](const testing::TestParamInfo<RoundTrip>& row) { return std::string(row.param.name); });

// LSB-first bit writer for hand-built streams.
class BitWriter {
public:
    BitWriter& put(unsigned value, unsigned count)
    {
        for (unsigned i = 0; i < count; ++i) {
            if (m_bits % 8 == 0)
                m_bytes.push_back(0);
            m_bytes.back() |= std::uint8_t(((value >> i) & 1) << (m_bits % 8));
            ++m_bits;
        }
        return *this;
    }
    // A Huffman code: most significant bit first.
    BitWriter& code(unsigned value, unsigned length)
    {
        for (unsigned i = length; i-- > 0;)
            put((value >> i) & 1, 1);
        return *this;
    }
    BitWriter& fixedSymbol(unsigned symbol)
    {
        if (symbol < 144)
            return code(0x30 + symbol, 8);
        if (symbol < 256)
            return code(0x190 + symbol - 144, 9);
        if (symbol < 280)
            return code(symbol - 256, 7);
        return code(0xC0 + symbol - 280, 8);
    }
    BitWriter& align()
    {
        m_bits = (m_bits + 7) / 8 * 8;
        return *this;
    }
    Bytes bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::size_t m_bits = 0;
};

struct Faulty {
    const char* name;
    Bytes packed;
    std::uint64_t size;
    int code;
};

Bytes fixedBlockWith(std::initializer_list<std::pair<unsigned, unsigned>> symbols)
{
    BitWriter writer;
    writer.put(1, 1).put(1, 2);
    for (auto [symbol, length] : symbols) {
        if (length)
            writer.code(symbol, length); // a distance code
        else
            writer.fixedSymbol(symbol);
    }
    return writer.bytes();
}

std::vector<Faulty> faultyStreams()
{
    std::vector<Faulty> rows;
    rows.push_back({ "blockType3", BitWriter().put(1, 1).put(3, 2).bytes(), 10, msgBadBlock });
    rows.push_back({ "storedLengthsDisagree",
        BitWriter().put(1, 1).put(0, 2).align().put(5, 16).put(0x1234, 16).bytes(), 5, msgBadBlock });
    // 'a', then a match of 3 at distance 2 with one byte produced.
    rows.push_back({ "distanceBeforeStart", fixedBlockWith({ { 'a', 0 }, { 257, 0 }, { 1, 5 }, { 256, 0 } }),
        10, msgBadBlock });
    rows.push_back({ "distanceCode30", fixedBlockWith({ { 'a', 0 }, { 257, 0 }, { 30, 5 }, { 256, 0 } }), 10,
        msgBadBlock });
    rows.push_back(
        { "literalCode286", fixedBlockWith({ { 'a', 0 }, { 286, 0 }, { 256, 0 } }), 10, msgBadBlock });
    rows.push_back({ "noEndOfBlock", fixedBlockWith({ { 'a', 0 }, { 'b', 0 } }), 10, msgErrorReading });
    rows.push_back({ "moreThanTheSize", fixedBlockWith({ { 'a', 0 }, { 'b', 0 }, { 'c', 0 }, { 256, 0 } }), 2,
        msgBadBlock });
    rows.push_back({ "tooManyLiteralCodes",
        BitWriter().put(1, 1).put(2, 2).put(30, 5).put(0, 5).put(15, 4).bytes(), 10, msgBadLengths });
    // Code-length code of 19 one-bit codes: over-subscribed.
    {
        BitWriter writer;
        writer.put(1, 1).put(2, 2).put(0, 5).put(0, 5).put(15, 4);
        for (int i = 0; i < 19; ++i)
            writer.put(1, 3);
        rows.push_back({ "codeLengthCodeOversubscribed", writer.bytes(), 10, msgBadLengths });
    }
    // Code-length code with a single two-bit code: incomplete.
    rows.push_back({ "codeLengthCodeIncomplete",
        BitWriter()
            .put(1, 1)
            .put(2, 2)
            .put(0, 5)
            .put(0, 5)
            .put(0, 4)
            .put(0, 3)
            .put(0, 3)
            .put(0, 3)
            .put(2, 3)
            .bytes(),
        10, msgIncompleteCodeSet });
    // Code-length code {0: '0', 16: '1'}; the first symbol repeats nothing.
    rows.push_back({ "repeatWithoutPrevious",
        BitWriter()
            .put(1, 1)
            .put(2, 2)
            .put(0, 5)
            .put(0, 5)
            .put(0, 4)
            .put(1, 3)
            .put(0, 3)
            .put(0, 3)
            .put(1, 3)
            .code(1, 1)
            .put(0, 2)
            .bytes(),
        10, msgBadLengths });
    // The same code, every length zero: no end-of-block code.
    {
        BitWriter writer;
        writer.put(1, 1).put(2, 2).put(0, 5).put(0, 5).put(0, 4).put(1, 3).put(0, 3).put(0, 3).put(1, 3);
        for (int i = 0; i < 258; ++i)
            writer.code(0, 1);
        rows.push_back({ "noEndOfBlockCode", writer.bytes(), 10, msgBadLengths });
    }
    const Bytes data = test::sampleData(5000, 3);
    Bytes truncated = zlibDeflate(data, 6, Z_DEFAULT_STRATEGY);
    truncated.resize(truncated.size() / 2);
    rows.push_back({ "truncated", truncated, 5000, msgErrorReading });
    rows.push_back({ "emptyInput", {}, 0, msgErrorReading });
    return rows;
}

TEST(Inflate, FaultyStreamsGiveTheirMessageWholeAndByteByByte)
{
    for (const Faulty& row : faultyStreams()) {
        SCOPED_TRACE(row.name);
        const auto whole = ourInflate(row.packed, row.size);
        EXPECT_EQ(whole.status, Status::corrupt(row.code));
        EXPECT_LE(whole.output.size(), row.size);
        const auto byByte = ourInflate(row.packed, row.size, 1, 1);
        EXPECT_EQ(byByte.status, Status::corrupt(row.code));
        EXPECT_LE(byByte.output.size(), row.size);
    }
}

TEST(Inflate, StoredLengthMismatchIsFlagged)
{
    auto state = std::make_unique<InflateState>();
    state->reset(5);
    const Bytes packed = BitWriter().put(1, 1).put(0, 2).align().put(5, 16).put(0x1234, 16).bytes();
    EXPECT_TRUE(test::runDecoder(inflateDecode, *state, packed).status.isCorrupt());
    EXPECT_TRUE(state->badStoredLength);
}

TEST(Inflate, BombStopsAtTheStatedSize)
{
    const Bytes zeros(20u << 20, 0);
    const Bytes packed = zlibDeflate(zeros, 9, Z_DEFAULT_STRATEGY);
    ASSERT_LT(packed.size(), 30000u);
    const auto result = ourInflate(packed, 1024);
    EXPECT_EQ(result.status, Status::corrupt(msgBadBlock));
    EXPECT_LE(result.output.size(), 1024u);
}

TEST(Inflate, AgreesWithZlibOnDamagedStreams)
{
    const Bytes data = test::sampleData(20000, 11);
    for (int strategy : { Z_DEFAULT_STRATEGY, Z_FIXED }) {
        const Bytes packed = zlibDeflate(data, 6, strategy);
        for (std::size_t flip = 0; flip < 400; ++flip) {
            Bytes damaged = packed;
            const std::size_t bit = (flip * 7919) % (damaged.size() * 8);
            damaged[bit / 8] ^= std::uint8_t(1u << (bit % 8));
            const auto expected = zlibInflate(damaged, 1 << 20);
            const auto ours = ourInflate(damaged, 1 << 20);
            if (expected) {
                EXPECT_EQ(ours.status, Status::done()) << "bit " << bit;
                EXPECT_TRUE(ours.output == *expected) << "bit " << bit;
            } else {
                EXPECT_NE(ours.status, Status::done()) << "bit " << bit;
            }
            EXPECT_TRUE(ours.status.isDone() || ours.status.isCorrupt());
        }
    }
}

} // namespace
} // namespace ov
